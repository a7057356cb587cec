# bash completion for stela-cli                               -*- shell-script -*-
# Installed as /usr/share/bash-completion/completions/stela-cli; it needs
# nothing of the bash-completion package's helpers.

_stela_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]:-}
    local commands="search read write check brightness effect ports help"
    local options="--port --format --row --file --encoding --dry-run --output --warn-unread --timeout --warning --critical --station --log --verbose --help --version"
    COMPREPLY=()

    # bash splits "--format=js" at the "=": take the option before it.
    if [[ $cur == "=" ]]; then
        cur=""
    elif [[ $prev == "=" && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    case $prev in
        -p | --port)
            # The COM names of the dosdevices links and of the built-in ports with a
            # UART behind them (ttyS0-31 are COM1-32; sysfs gives the others type 0),
            # and the serial devices present.
            local names=() entry n type
            for entry in "${XDG_CONFIG_HOME:-$HOME/.config}"/stela/dosdevices/com*; do
                [[ -e $entry ]] && names+=("COM${entry##*/com}")
            done
            for entry in "${_stela_cli_sysfs:-/sys}"/class/tty/ttyS*; do
                n=${entry##*/ttyS}
                [[ $n =~ ^[0-9]+$ ]] && ((n < 32)) && read -r type <"$entry/type" 2>/dev/null &&
                    [[ $type != 0 ]] && names+=("COM$((n + 1))")
            done
            for entry in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM*; do
                [[ -e $entry ]] && names+=("$entry")
            done
            COMPREPLY=($(compgen -W "${names[*]}" -- "$cur"))
            return
            ;;
        --format)
            # What the command given prints: check text or the node exporter's
            # textfile, ports text or json, read and write text, json or csv.
            local formats="text json csv prometheus" word
            for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
                case $word in
                    read | write) formats="text json csv" ;;
                    check) formats="text prometheus" ;;
                    ports) formats="text json" ;;
                    search | brightness | effect | help) formats="" ;;
                esac
            done
            COMPREPLY=($(compgen -W "$formats" -- "$cur"))
            return
            ;;
        -f | --file | --log | --output)
            # Folders, and for --file the JSON and CSV files in them ("-": standard input).
            local entry
            compopt -o filenames 2>/dev/null
            while IFS= read -r entry; do
                if [[ -d $entry || $prev == --log || $prev == --output || $entry == *.[jJ][sS][oO][nN] ||
                    $entry == *.[cC][sS][vV] ]]; then
                    COMPREPLY+=("$entry")
                fi
            done < <(compgen -f -- "$cur")
            return
            ;;
        --encoding)
            # The charsets a prices file is likely in; iconv -l lists all.
            COMPREPLY=($(compgen -W "UTF-8 CP1251 CP866 KOI8-R" -- "$cur"))
            return
            ;;
        -r | --row)
            COMPREPLY=($(compgen -W "1= 2= 3= 4= 5=" -- "$cur"))
            compopt -o nospace 2>/dev/null
            return
            ;;
        brightness)
            COMPREPLY=($(compgen -W "auto 0 1 2 3 4 5 6 7 8 9" -- "$cur"))
            return
            ;;
        effect)
            COMPREPLY=($(compgen -W "0 1 2 3 4 5 6 7 8 9" -- "$cur"))
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    # The command, unless one is given already.
    local word
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        [[ " $commands " == *" $word "* ]] && return
    done
    COMPREPLY=($(compgen -W "$commands" -- "$cur"))
}

complete -F _stela_cli stela-cli
