#!/usr/bin/env bash
# Makes a PDF printer the default CUPS queue for the printing tests: installs
# CUPS and cups-pdf when missing, starts the scheduler when it is not running,
# and adds the queue "VintaPDF" (files land in ~/PDF of the printing user) and
# "VintaRefuse", which refuses every job.
set -euo pipefail
packages=(cups printer-driver-cups-pdf poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ((${#missing[@]})); then
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# lpstat -r exits 0 whether or not the scheduler runs: judge by what it says.
running() { lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }
if ! running; then
  "${sudo_cmd[@]}" cupsd
  for _ in $(seq 100); do running && break; sleep 0.1; done
  running || { echo "cups-pdf-queue: cupsd did not start within 10 s" >&2; exit 1; }
fi
if ! lpstat -p VintaPDF >/dev/null 2>&1; then
  "${sudo_cmd[@]}" lpadmin -p VintaPDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
fi
# Accepting jobs, whatever a test that refused them left behind.
"${sudo_cmd[@]}" cupsaccept VintaPDF
"${sudo_cmd[@]}" cupsenable VintaPDF
# A queue that refuses every job, as a stopped or full printer does.
if ! lpstat -p VintaRefuse >/dev/null 2>&1; then
  "${sudo_cmd[@]}" lpadmin -p VintaRefuse -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
fi
"${sudo_cmd[@]}" cupsreject -r "refused for the printing tests" VintaRefuse
# Poppler keeps the text's shapes where Ghostscript would redraw them.
"${sudo_cmd[@]}" lpadmin -p VintaPDF -o pdftops-renderer-default=pdftops
"${sudo_cmd[@]}" lpadmin -d VintaPDF
lpstat -d
