#!/usr/bin/env bash
# Inside the Windows test root: starts a virtual display, a real-time sound server
# whose null sink "out" plays at 44.1 kHz (its monitor is the default recording
# source) and a CUPS server whose default printer "PDF" writes PDF files, then runs
# "$@" with them and stops them afterwards. /tmp and /run are private to this run
# (root.sh mounts them).
set -euo pipefail

export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" /run/cups /tmp/.X11-unix
chmod 700 "$XDG_RUNTIME_DIR"
chmod 1777 /tmp/.X11-unix

pids=()
stop_services() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop_services EXIT

# The display: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -ac 3>/tmp/display >/tmp/xvfb.log 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ -s /tmp/display ] && break; sleep 0.1; done
[ -s /tmp/display ] || { echo "services: Xvfb did not start" >&2; cat /tmp/xvfb.log >&2; exit 1; }
export DISPLAY=:$(head -n 1 /tmp/display)

# The sound server.
# Real-time scheduling where allowed: a busy machine must not starve the sound.
pulseaudio --daemonize=no -n --exit-idle-time=-1 --log-target=file:/tmp/pulse.log \
  --realtime=yes --high-priority=yes \
  -L "module-null-sink sink_name=out rate=44100 channels=2" -L module-native-protocol-unix &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink out
pactl set-default-source out.monitor

# The printer: cups-pdf writes each job as a PDF file into $VARDEX_PDF_DIR.
export VARDEX_PDF_DIR=/tmp/pdf
mkdir -p "$VARDEX_PDF_DIR"
if [ -f /etc/cups/cups-pdf.conf ]; then
  sed -i -e 's|^#\?Out .*|Out /tmp/pdf|' -e 's|^#\?AnonDirName .*|AnonDirName /tmp/pdf|' /etc/cups/cups-pdf.conf
fi
# Only the private socket: two runs at once must not meet on a TCP port.
sed -i -e '/^Listen .*:631/d' -e '/^Port /d' /etc/cups/cupsd.conf
cupsd -f >/tmp/cupsd.log 2>&1 &
pids+=($!)
for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q 'is running' && break; sleep 0.1; done
ppd=$(ls /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n 1)
lpadmin -p PDF -E -v cups-pdf:/ ${ppd:+-P "$ppd"} 2>/dev/null
lpadmin -d PDF

cd "${VARDEX_CWD:-/}" 2>/dev/null || cd /
export VARDEX_WINDOWS_WORLD=1 WINEDEBUG=-all PULSE_LATENCY_MSEC=60
export WINEDLLPATH=/opt/wine-i386/usr/lib/i386-linux-gnu/wine
"$@"
