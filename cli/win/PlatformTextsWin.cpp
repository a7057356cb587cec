#include <csignal>

#include "cli/CliText.h"
#include "cli/PlatformTexts.h"
#include "os/SystemErrorText.h"

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
                         --row with what it shows, as a monitoring plugin;
                         nothing is written to the sign ('stela-cli check
                         --help' tells its own options)
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
      --log=FILE         write the operation log to FILE (UTF-8)
  -v, --verbose          print the operation log on stderr as it happens
  -h, --help             show this help and exit
  -V, --version          show the version and exit

Exit status: 0 done and confirmed; 1 the sign did not confirm, a half failed,
a row's halves differ, or the read-back differs from what was written (stderr
says which); 2 bad arguments or a bad prices file (nothing is sent); 3 no sign
found, or a port error; 4 done, but the --log file could not be written; 130
stopped by Ctrl+C, 149 by Ctrl+Break, 143 by closing the console window (a
write stops at the end of the row it is writing).
check exits as monitoring plugins do: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
)");
}

std::string checkUsageText() {
    return translateCli(R"(Usage: stela-cli check (--file FILE | --row N=PRICE...) [OPTION]...
Reads the price sign once, as the window's "Прочитать" does, and compares
each row given with what the sign shows: the price, the grade and the
captions, as far as they are given. A row shows what was ordered only when
both its halves answered and agree. Nothing is written to the sign.

It answers as a monitoring plugin (Nagios, Icinga, NRPE): one status line,
the performance data after the "|", and the state as the exit status:
  STELA OK - 5 rows as expected | rows_ok=5;;;0;5 read_time=1.01s;;;0;10

Options:
  -p, --port=PORT        COM1..COM255, another port's name (CNCA0),
                         tcp://HOST:PORT or rfc2217://HOST:PORT; without it
                         the board search finds the sign
  -f, --file=FILE        the rows expected, from a JSON or CSV prices file as
                         write takes it ("-": standard input)
      --encoding=NAME    the --file's charset
  -r, --row=N=PRICE[,grade=G][,caption1=F][,caption2=F]
                         a row expected, as write takes it; repeat for more
  -t, --timeout=SECONDS  answer within SECONDS, 1 to 3600 (default 10): when
                         time is short the read makes fewer passes, and the
                         port is released before the answer
  -w, --warning=RANGE    WARNING when the read's seconds are outside RANGE
  -c, --critical=RANGE   CRITICAL when they are outside RANGE. A RANGE as
                         monitoring plugins take it: 10 (above 10), 5: (below
                         5), ~:10 (above 10), 5:10 (outside), @5:10 (inside)
      --warn-unread      a half that did not answer is a WARNING, not CRITICAL
      --format=FORMAT    text (the status line) or prometheus (the node
                         exporter's textfile format)
      --output=FILE      with --format prometheus: replace FILE with the
                         metrics (atomically) and print the status line
      --station=NAME     with --format prometheus: the station label (default:
                         this machine's name)
      --log=FILE         write the operation log to FILE (UTF-8)
  -v, --verbose          print the operation log on stderr as it happens
  -h, --help             show this help and exit
  -V, --version          show the version and exit

Exit status:
  0 OK        every row given shows what was expected
  1 WARNING   with --warn-unread a half did not answer, or the read took
              longer than -w allows; all else as expected
  2 CRITICAL  a row shows something else, its halves differ or a half failed;
              the sign did not answer, its port is not there or went away, or
              the time limit ran out
  3 UNKNOWN   the port is in use or may not be opened, bad arguments, a bad
              prices file, or the --output file could not be written
)");
}

std::string unknownCharsetText(const std::string& name) {
    return translateCli(
        "--encoding: %1 is no charset known here (a Windows code page as CPnnn, or UTF-16)",
        {name});
}

std::string notAPortText(const std::string& name) {
    return translateCli(
        "--port: %1 is neither COM1..COM255, another port's name (CNCA0) nor a network port",
        {name});
}

// Windows has folders, devices (NUL, CON, COM3) and pipes where a path leads.
std::string fileKindText(FileKind kind) {
    return translateCli(kind == FileKind::Folder ? markCli("a folder")
                        : kind == FileKind::Fifo ? markCli("a pipe")
                                                 : markCli("a device"));
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

std::string systemWordsText(int code, const std::string& language) {
    return code == -1 ? "" : "Windows: " + systemErrorText(code, language) + ".";
}

}  // namespace stela::cli
