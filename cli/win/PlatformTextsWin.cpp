#include <csignal>

#include "cli/CliText.h"
#include "cli/PlatformTexts.h"

namespace stela::cli {

std::string usageText() {
    return translateCli(R"(Usage: stela-cli COMMAND [OPTION]...
Runs the price sign's workflows from a command prompt or a script, exactly as
the window runs them: every exchange, retry, checksum and log line is the same.

Commands:
  search                 the board search over COM1..COM255 (or the --port
                         list); prints the port the sign answers on
  read                   reads the ten halves; prints them and the five rows
  write                  writes the five rows, each half confirmed, then reads
                         them back; rows not given keep what the sign holds
                         (it is read first)
  check                  reads the sign and compares the rows of --file or
                         --row with what it shows, as a monitoring plugin:
                         one status line, exit 0 OK, 1 WARNING, 2 CRITICAL,
                         3 UNKNOWN; nothing is written to the sign
  brightness auto|0..9   automatic brightness, or a manual level
  effect 0..9            the effect's interval in seconds (0: off)
  ports                  lists the serial ports present: COM name, device,
                         the name Device Manager shows, maker and, for USB
                         adapters, vendor:product ids

Options:
  -p, --port=PORT        COM1..COM255, another port's name (CNCA0), or a
                         sign behind a network serial server:
                         tcp://HOST:PORT (raw) or rfc2217://HOST:PORT;
                         without it the board search runs first. For search:
                         a list of candidates, comma-separated or repeated
      --format=FORMAT    text, json, csv or excel: the output of read and
                         write (default text; excel: CSV in UTF-8 with its
                         mark, ';' and decimal commas, which Excel opens in
                         columns and write --file reads back; stela-cli.txt
                         describes the fields); ports prints text or json;
                         check prints text or prometheus
  -r, --row=N=PRICE[,grade=G][,caption1=F][,caption2=F]
                         write, check: row N (1 top .. 5 bottom); PRICE fits
                         99.99 (45,67 too) or is "unused"; G one of 80 92 95 98 ДТ (DT) none;
                         F yes/no, да/нет, 1/0 or on/off. Fields may be given
                         alone: --row 3=grade=95. Repeat for more rows
  -f, --file=FILE        write, check: the rows of a JSON or CSV file ("-":
                         standard input), checked whole before anything is sent
      --encoding=NAME    the --file's charset (CP1251, CP866, UTF-8, UTF-16,
                         any code page as CPnnn); without it a file is UTF-16
                         by its byte-order mark, else UTF-8, else taken in the
                         ANSI code page (CP1251), and stderr says so
  -n, --dry-run          write: print the ten write frames, send none
      --output=FILE      check --format prometheus: replace FILE with the
                         metrics (atomically) instead of printing them
      --warn-unread      check: a half that did not answer is a WARNING, not
                         CRITICAL
      --log=FILE         write the operation log to FILE (UTF-8)
  -v, --verbose          print the operation log on stderr as it happens
  -h, --help             show this help and exit
      --version          show the version and exit

Exit status: 0 done and confirmed; 1 the sign did not confirm, a half failed,
a row's halves differ, or the read-back differs from what was written (stderr
says which); 2 bad arguments or a bad prices file (nothing is sent); 3 no sign
found, or a port error; 4 done, but the --log file could not be written; 130
stopped by Ctrl+C, 149 by Ctrl+Break, 143 by closing the console window (a
write stops at the end of the row it is writing).
check exits as monitoring plugins do: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN
(no sign, a port error, bad arguments or a bad prices file).
)");
}

std::string unknownCharsetText(const std::string& name) {
    return translateCli(
        "--encoding: %1 is no charset known here (a Windows code page as CPnnn, or UTF-16)",
        {name});
}

std::string stoppedText(int signal) {
    switch (signal) {
        case SIGINT:
            return translateCli("stopped by Ctrl+C");
        case SIGBREAK:
            return translateCli("stopped by Ctrl+Break");
        default:
            return translateCli(
                "stopped: the console window was closed, or Windows is logging off or shutting "
                "down");
    }
}

}  // namespace stela::cli
