#include "cli/help_text.h"

#include "backends/backend_options.h"
#include "version/version.h"

namespace cli {

std::string HelpText() {
    return std::string(
               "Usage: palereed-flash COMMAND [ARGUMENTS] [OPTIONS]\n"
               "Update and inspect the firmware of Pale Reed USB audio products.\n"
               "\n"
               "Commands:\n"
               "  list                 list every connected product and bare ISP-mode chip\n"
               "  update [FILE]        the one-button firmware update; FILE defaults to the\n"
               "                       product's update file in the current folder (required\n"
               "                       for a chip waiting in ISP mode)\n"
               "  verify FILE          compare the flash with FILE without writing\n"
               "  read OUT.bin         read the flash into a binary file\n"
               "  info                 flash identification, parameter store, device status\n"
               "  check FILE           check FILE without a device: records, size, the product\n"
               "                       its parameter table names (--product NAME: for NAME)\n"
               "\n"
               "Options (before or after the command):\n"
               "  --device LOCATION    the device at this bus location (see list); required\n"
               "                       when several are connected\n"
               "  --serial S           the product whose serial string is S\n"
               "  --all                update: every connected device at the same time\n"
               "  --wait[=SECONDS]     wait for the device; with update --all, update every\n"
               "                       board plugged in, once each, until interrupted\n"
               "  --yes, -y            update: do not ask for confirmation\n"
               "  --force              update: write FILE even when its parameter table names\n"
               "                       another product, or it has none\n"
               "  --changed-only       update: read the flash first and erase and write only\n"
               "                       the 4 KiB sectors that differ from FILE\n"
               "  --length N           read: bytes to read (default 262144, at most 16777216;\n"
               "                       a smaller part is read to its end; 0x prefix for hex)\n"
               "  --json               one JSON object per line on stdout, ending with a result\n"
               "  --quiet, -q          print only the result, no progress\n"
               "  --verbose, -v        progress as plain lines, with each loop's own texts\n"
               "  --trace FILE         write every device request to FILE; a FILE that cannot\n"
               "                       be written is refused before anything is sent\n"
               "  --report FILE        update: write the run's requests under a short header\n"
               "                       (tool, product, flash part, file and SHA-256, outcome)\n"
               "                       to FILE, on success and failure; refused like --trace\n") +
           product::BackendOptionsHelp() +
           "  --help, -h           show this help and exit\n"
           "  --version, -V        show the version and exit\n"
           "\n"
           "Exit codes:\n"
           "  0  done\n"
           "  1  the update or verify failed; the device may be left waiting in ISP mode:\n"
           "     keep it connected and run the update again with the same file;\n"
           "     info: the device did not answer a parameter or status request\n"
           "  2  usage error\n"
           "  3  no device, an unknown --device, or several devices without --device\n"
           "  4  the file was refused (missing, unreadable or not a valid image)\n"
           "  5  permission denied: the message says what gives access\n"
           "  6  interrupted (Ctrl-C, SIGTERM, SIGHUP) or not confirmed\n"
           "  7  written and verified, but the product did not restart: unplug it and plug\n"
           "     it in again\n"
           "\n"
           "Ctrl-C during an update warns first; a second Ctrl-C stops at the next request.\n"
           "SIGTERM, or SIGHUP from a closed terminal, stops at the next request at once.\n"
           "A device stopped after the erase waits in ISP mode for a new update.\n"
           "\n"
           "On a production line:\n"
           "  palereed-flash update --all --yes --json >> update-log.jsonl\n"
           "      every connected product, its own update file each, a JSON log\n"
           "  palereed-flash update PaleReed_f069.hex --device 1-4.2 --yes --quiet\n"
           "      one test-rack port with its file; the exit code says how it went\n"
           "  jq -c 'select(.event == \"result\")' update-log.jsonl\n"
           "      the result of each run in the log\n"
           "  palereed-flash read backup.bin --length 0x200000 --device 1-4.2\n"
           "      a whole 2 MiB flash backed up before a rework\n";
}

std::string VersionText() {
    return std::string("palereed-flash ") + PALEREED_VERSION + "\n";
}

}  // namespace cli
