#!/usr/bin/env bash
# Makes a PDF printer the default printer of this machine: CUPS with the cups-pdf
# back end, queue "PDF" on A4 paper. cupsd is started by hand (there is no init system
# to start it). Beside it, queue "KorvexRefusing" refuses every job, for the tests of a
# print that fails. Idempotent: a second run only checks that all of it is in place.
# The packages come from scripts/setup.sh. Printouts land in /var/spool/cups-pdf/<user>/.
set -euo pipefail
queue=${KORVEX_PRINTER_QUEUE:-PDF}
refusing=KorvexRefusing
paper=${KORVEX_PRINTER_PAPER:-A4}
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"

# cups-pdf writes under /var/spool/cups-pdf/ (AppArmor, where active, allows it there).
conf=/etc/cups/cups-pdf.conf
if ! grep -q '^Out /var/spool/cups-pdf/\${USER}$' "$conf"; then
    $sudo sed -i 's|^#\?Out .*|Out /var/spool/cups-pdf/${USER}|' "$conf"
fi

if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    $sudo mkdir -p /run/cups/certs
    $sudo /usr/sbin/cupsd </dev/null >/dev/null 2>&1
    for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q 'is running' && break; sleep 0.1; done
fi
lpstat -r | grep -q 'is running' || { echo "setup-printer: cupsd did not start" >&2; exit 1; }

for q in "$queue" "$refusing"; do
    if ! lpstat -v "$q" >/dev/null 2>&1; then
        # stderr only carries the "printer drivers are deprecated" notice.
        $sudo lpadmin -p "$q" -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
            -o printer-is-shared=no 2>/dev/null
    fi
done
if ! lpoptions -p "$queue" 2>/dev/null | grep -q "PageSize=$paper\b" ||
   ! lpstat -d 2>/dev/null | grep -q ": $queue\$"; then
    $sudo lpadmin -p "$queue" -o PageSize="$paper"
    $sudo lpadmin -d "$queue"
fi
$sudo cupsenable "$queue"
$sudo cupsaccept "$queue"
$sudo cupsreject "$refusing"
