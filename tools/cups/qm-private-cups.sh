#!/usr/bin/env bash
# A private CUPS scheduler for tests and demos.
#
# Everything lives in one folder of its own (configuration, spool, logs,
# the unix socket); nothing system-wide is read from or written to, and the
# scheduler is stopped by its process id only.
#
#   qm-private-cups.sh start [DIR] [--sim COMMAND] [--port N] [--demo] [--direct PORT]
#       Starts a scheduler in DIR (created; default: a new folder under /tmp)
#       and prints the shell lines that point clients at it (eval them).
#       --sim     printer simulator for the simulated Tessel printers
#                 (an executable is copied into DIR; default: qm-printer-sim
#                 found next to this script's build or on PATH)
#       --port    also listen on 127.0.0.1:N
#       --demo    add two simulated printers Tessel_1, Tessel_2 and the raw
#                 capture queue Raw_Capture, all under DIR/printers
#       --direct  also a simulated printer on the network, listening on
#                 127.0.0.1:PORT (0: a free port), with the queue
#                 Tessel_Direct (socket://127.0.0.1:PORT) for it: one printer
#                 reached through the scheduler and directly (add-direct);
#                 prints QM_DIRECT_PORT, QM_DIRECT_URI and QM_DIRECT_DISK
#   qm-private-cups.sh add-sim DIR NAME DISK PAGES [png|pdf]
#       A simulated Tessel printer with DISK as its disk and PAGES for the
#       pages it prints (folders created, writable by the backend).
#   qm-private-cups.sh add-direct DIR NAME PORT DISK PAGES
#       A simulated printer that listens on 127.0.0.1:PORT (0: a free
#       port) for raw TCP jobs and answers them, and a queue NAME whose
#       device is socket://127.0.0.1:PORT; prints QM_DIRECT_PORT='...'.
#       The printer stops with the scheduler.
#   qm-private-cups.sh add-capture DIR NAME OUTDIR
#       A raw queue that copies each job to OUTDIR/job-<id>.bin.
#   qm-private-cups.sh add-driver DIR NAME MODEL
#       A queue with a CUPS driver, e.g. drv:///sample.drv/laserjet.ppd,
#       whose device discards what it gets.
#   qm-private-cups.sh add-eve DIR NAME PORT FORMATS
#       An IPP Everywhere printer (CUPS' ippeveprinter) on localhost:PORT
#       that takes the document FORMATS (comma separated MIME types) and
#       keeps what it gets in DIR/printers/NAME/eve (each document as it
#       came, and the empty output of a "print" that takes no time), and a driverless queue
#       NAME for it (lpadmin -m everywhere). ippeveprinter needs DNS-SD:
#       as root, the system's D-Bus and Avahi daemons are started when they
#       do not run, and are left running. The printer stops with the
#       scheduler.
#   qm-private-cups.sh env DIR      prints the client settings again
#   qm-private-cups.sh stop DIR     stops the scheduler (DIR is kept)
#   qm-private-cups.sh destroy DIR  stops it and removes DIR
#
# Clients use CUPS_SERVER=DIR/cupsd.sock, CUPS_SERVERROOT=DIR/client and
# HOME=DIR/client so that no personal or system client setting interferes.
set -euo pipefail
umask 022

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() {
  echo "qm-private-cups: $*" >&2
  exit 1
}

is_root() { [ "$(id -u)" -eq 0 ]; }

# The account the backends run as: lp when we are root (cupsd refuses to
# run children as root), ourselves otherwise.
backend_user() {
  if is_root; then echo lp; else id -un; fi
}

client_env() {
  local dir=$1
  echo "export CUPS_SERVER='$dir/cupsd.sock'"
  echo "export CUPS_SERVERROOT='$dir/client'"
  echo "export HOME='$dir/client'"
  echo "unset PRINTER LPDEST"
}

# Runs a client command against the scheduler of DIR.
client() {
  local dir=$1
  shift
  env -u PRINTER -u LPDEST CUPS_SERVER="$dir/cupsd.sock" CUPS_SERVERROOT="$dir/client" \
    HOME="$dir/client" timeout 60 "$@" </dev/null
}

# A folder the backend may write into.
backend_folder() {
  mkdir -p "$1"
  if is_root; then chown "$(backend_user):" "$1"; fi
  chmod 0755 "$1"
}

urlencode() {
  local s=$1 out= c i
  for ((i = 0; i < ${#s}; i++)); do
    c=${s:i:1}
    case "$c" in
      [a-zA-Z0-9/._~-]) out+=$c ;;
      *) out+=$(printf '%%%02X' "'$c") ;;
    esac
  done
  printf '%s' "$out"
}

find_simulator() {
  local candidate
  for candidate in \
    "${QM_PRINTER_SIM:-}" \
    "$here/../../build/tools/qm-printer-sim" \
    "$(command -v qm-printer-sim 2>/dev/null || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return
    fi
  done
}

pid_start_time() {
  # Field 22 of /proc/PID/stat; the command name (field 2) may hold blanks.
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  set -- $stat
  echo "${20}"
}

# Process ids whose parent is $1 (from /proc; no ps needed).
children_of() {
  local parent=$1 stat line rest
  for stat in /proc/[0-9]*/stat; do
    { read -r line <"$stat"; } 2>/dev/null || continue
    rest=${line##*) }
    set -- $rest
    if [ "${2:-}" = "$parent" ]; then
      line=${stat#/proc/}
      echo "${line%/stat}"
    fi
  done
}

wait_ready() {
  local dir=$1 pid=$2 i
  for ((i = 0; i < 300; i++)); do
    if [ -S "$dir/cupsd.sock" ] && client "$dir" lpstat -r >/dev/null 2>&1; then
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.02
  done
  return 1
}

cmd_start() {
  local dir= sim= port= demo=0 direct=
  while [ $# -gt 0 ]; do
    case "$1" in
      --sim) sim=$2; shift 2 ;;
      --direct) direct=$2; shift 2 ;;
      --port) port=$2; shift 2 ;;
      --demo) demo=1; shift ;;
      -*) die "unknown option $1" ;;
      *) [ -z "$dir" ] || die "one folder only"; dir=$1; shift ;;
    esac
  done
  if [ -z "$dir" ]; then
    dir=$(mktemp -d /tmp/qmcups.XXXXXX)
  else
    mkdir -p "$dir"
    [ -z "$(ls -A "$dir")" ] || die "$dir is not empty"
  fi
  dir=$(cd "$dir" && pwd)
  [ ${#dir} -le 80 ] || die "$dir is too long for a socket path"
  # The backends run as another account and must reach their folders.
  chmod 0755 "$dir"

  mkdir -p "$dir"/{etc,etc/ppd,etc/ssl,spool,spool/tmp,cache,state,log,bin/backend,sim,client}
  chmod 0755 "$dir"/{etc,bin,bin/backend,sim,client}
  : >"$dir/client/client.conf"

  # Private ServerBin: the system's helpers plus a backend folder of our own.
  local sysbin=/usr/lib/cups sub
  for sub in filter daemon driver monitor notifier cgi-bin; do
    [ -e "$sysbin/$sub" ] && ln -s "$sysbin/$sub" "$dir/bin/$sub"
  done
  for sub in "$sysbin"/backend/*; do
    ln -s "$sub" "$dir/bin/backend/$(basename "$sub")"
  done
  install -m 0755 "$here/qmsim-backend" "$dir/bin/backend/qmsim"

  [ -n "$sim" ] || sim=$(find_simulator)
  local simcmd=
  if [ -n "$sim" ]; then
    if [ -f "$sim" ] && [ -x "$sim" ]; then
      # A copy the backend account can always execute.
      install -m 0755 "$sim" "$dir/sim/$(basename "$sim")"
      simcmd="$dir/sim/$(basename "$sim")"
    else
      simcmd=$sim
    fi
  fi

  local user group system
  if is_root; then
    user=lp group=lp system=root
  else
    user=$(id -un) group=$(id -gn) system=$(id -gn)
  fi

  cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
ServerKeychain $dir/etc/ssl
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/state/printcap
User $user
Group $group
SystemGroup $system
FileDevice No
EOF
  [ -z "$simcmd" ] || echo "SetEnv QM_PRINTER_SIM $simcmd" >>"$dir/etc/cups-files.conf"

  {
    echo "LogLevel info"
    echo "Listen $dir/cupsd.sock"
    [ -z "$port" ] || echo "Listen 127.0.0.1:$port"
    echo "Browsing No"
    echo "BrowseLocalProtocols none"
    echo "WebInterface No"
    echo "DefaultEncryption Never"
    echo "DefaultAuthType Basic"
    echo "ErrorPolicy abort-job"
    echo "MaxJobs 0"
    cat <<'EOF'
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit Create-Job Print-Job Print-URI Validate-Job Send-Document Send-URI Cancel-Job Get-Jobs Get-Job-Attributes Get-Printer-Attributes Hold-Job Release-Job Restart-Job Cancel-My-Jobs Close-Job CUPS-Get-Printers CUPS-Get-Default CUPS-Get-Document>
    Order deny,allow
  </Limit>
  <Limit Cancel-Jobs Purge-Jobs>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
  <Limit All>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
</Policy>
EOF
  } >"$dir/etc/cupsd.conf"
  chmod 0644 "$dir/etc/cupsd.conf" "$dir/etc/cups-files.conf"

  /usr/sbin/cupsd -t -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/check" 2>&1 ||
    die "configuration refused: $(cat "$dir/log/check")"

  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C \
    /usr/sbin/cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" \
    </dev/null >>"$dir/log/cupsd.out" 2>&1 &
  local pid=$!
  echo "$pid $(pid_start_time "$pid" || echo 0)" >"$dir/cupsd.pid"
  if ! wait_ready "$dir" "$pid"; then
    cmd_stop "$dir" || true
    die "the scheduler did not start; see $dir/log"
  fi

  if [ $demo -eq 1 ]; then
    cmd_add_sim "$dir" Tessel_1 "$dir/printers/Tessel_1/disk" "$dir/printers/Tessel_1/pages"
    cmd_add_sim "$dir" Tessel_2 "$dir/printers/Tessel_2/disk" "$dir/printers/Tessel_2/pages"
    cmd_add_capture "$dir" Raw_Capture "$dir/printers/Raw_Capture/jobs"
  fi

  echo "QM_CUPS_DIR='$dir'"
  client_env "$dir"
  if [ -n "$direct" ]; then
    local direct_port
    direct_port=$(cmd_add_direct "$dir" Tessel_Direct "$direct" "$dir/printers/Tessel_Direct/disk" \
      "$dir/printers/Tessel_Direct/pages" | sed -n "s/^QM_DIRECT_PORT='\\([0-9]*\\)'$/\\1/p")
    [ -n "$direct_port" ] || { cmd_stop "$dir"; die "the direct printer did not start"; }
    echo "export QM_DIRECT_PORT='$direct_port'"
    echo "export QM_DIRECT_URI='socket://127.0.0.1:$direct_port'"
    echo "export QM_DIRECT_DISK='$dir/printers/Tessel_Direct/disk'"
  fi
}

add_queue() {
  local dir=$1 name=$2
  shift 2
  [ -S "$dir/cupsd.sock" ] || die "no scheduler runs in $dir"
  client "$dir" lpadmin -p "$name" -E "$@" >/dev/null || die "cannot create queue $name"
}

cmd_add_sim() {
  [ $# -ge 4 ] || die "add-sim DIR NAME DISK PAGES [png|pdf]"
  local dir=$1 name=$2 disk=$3 pages=$4 format=${5:-png}
  mkdir -p "$(dirname "$disk")" "$(dirname "$pages")"
  backend_folder "$disk"
  backend_folder "$pages"
  disk=$(cd "$disk" && pwd)
  pages=$(cd "$pages" && pwd)
  add_queue "$dir" "$name" -v "qmsim:/tessel?disk=$(urlencode "$disk")&pages=$(urlencode "$pages")&format=$format"
}

cmd_add_direct() {
  [ $# -eq 5 ] || die "add-direct DIR NAME PORT DISK PAGES"
  local dir=$1 name=$2 port=$3 disk=$4 pages=$5 sim i listening=
  [ -S "$dir/cupsd.sock" ] || die "no scheduler runs in $dir"
  case "$port" in '' | *[!0-9]*) die "not a port: $port" ;; esac
  case "$name" in '' | *[!A-Za-z0-9_-]*) die "not a queue name: $name" ;; esac
  sim=$(sed -n 's/^SetEnv QM_PRINTER_SIM //p' "$dir/etc/cups-files.conf")
  [ -n "$sim" ] || sim=$(find_simulator)
  [ -n "$sim" ] || die "no printer simulator found (--sim)"
  mkdir -p "$disk" "$pages" "$dir/direct"
  local log="$dir/log/direct-$name.log"
  : >"$log"
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C HOME="$dir/client" \
    setsid "$sim" --listen "127.0.0.1:$port" --disk "$disk" --pages "$pages" --printer-name "$name" \
    </dev/null >>"$log" 2>&1 &
  local pid=$!
  echo "$pid $(pid_start_time "$pid" || echo 0)" >"$dir/direct/$name.pid"
  for ((i = 0; i < 500; i++)); do
    listening=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log")
    [ -z "$listening" ] || break
    kill -0 "$pid" 2>/dev/null || die "the simulated printer stopped; see $log"
    sleep 0.02
  done
  [ -n "$listening" ] || die "the simulated printer does not listen; see $log"
  add_queue "$dir" "$name" -v "socket://127.0.0.1:$listening"
  echo "QM_DIRECT_PORT='$listening'"
}

cmd_add_capture() {
  [ $# -eq 3 ] || die "add-capture DIR NAME OUTDIR"
  local dir=$1 name=$2 out=$3
  mkdir -p "$(dirname "$out")"
  backend_folder "$out"
  out=$(cd "$out" && pwd)
  add_queue "$dir" "$name" -v "qmsim:/capture?dir=$(urlencode "$out")"
}

cmd_add_driver() {
  [ $# -eq 3 ] || die "add-driver DIR NAME MODEL"
  local dir=$1 name=$2 model=$3
  add_queue "$dir" "$name" -v "qmsim:/capture?dir=/nonexistent" -m "$model"
}

# Stops a process recorded as "PID START-TIME" in a file, if it is still
# the same process.
stop_recorded() {
  local file=$1 pid start now i
  [ -f "$file" ] || return 0
  read -r pid start <"$file"
  now=$(pid_start_time "$pid" || true)
  if [ -n "$now" ] && [ "$now" = "$start" ]; then
    kill -TERM "$pid" 2>/dev/null || true
    for ((i = 0; i < 250; i++)); do
      now=$(pid_start_time "$pid" || true)
      [ "$now" = "$start" ] || break
      sleep 0.02
    done
    [ "$now" != "$start" ] || kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$file"
}

# D-Bus and Avahi, which ippeveprinter needs for DNS-SD. Only started, never
# changed or stopped; without root rights they must already run.
ensure_dnssd() {
  local i pid
  if ! dbus-send --system --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetId \
    >/dev/null 2>&1; then
    is_root || die "the system D-Bus does not run (ippeveprinter needs it with Avahi)"
    mkdir -p /run/dbus
    # A pid file left by a bus that is gone keeps a new one from starting.
    if [ -f /run/dbus/pid ]; then
      read -r pid </run/dbus/pid || pid=
      if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then rm -f /run/dbus/pid; fi
    fi
    dbus-daemon --system --fork || die "cannot start the system D-Bus"
  fi
  if ! avahi-daemon --check 2>/dev/null; then
    is_root || die "the Avahi daemon does not run (ippeveprinter needs it)"
    avahi-daemon -D --no-drop-root --no-chroot >/dev/null 2>&1 || die "cannot start the Avahi daemon"
    for ((i = 0; i < 250; i++)); do
      avahi-daemon --check 2>/dev/null && break
      sleep 0.02
    done
  fi
}

cmd_add_eve() {
  [ $# -eq 4 ] || die "add-eve DIR NAME PORT FORMATS"
  local dir=$1 name=$2 port=$3 formats=$4 i
  [ -S "$dir/cupsd.sock" ] || die "no scheduler runs in $dir"
  command -v ippeveprinter >/dev/null || [ -x /usr/sbin/ippeveprinter ] || die "ippeveprinter is not installed"
  ensure_dnssd
  local spool="$dir/printers/$name/eve"
  mkdir -p "$spool" "$dir/eve"
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C HOME="$dir/client" \
    setsid /usr/sbin/ippeveprinter -p "$port" -n localhost -f "$formats" -k -c /bin/true -d "$spool" "$name" \
    </dev/null >>"$dir/log/eve-$name.log" 2>&1 &
  local pid=$!
  echo "$pid $(pid_start_time "$pid" || echo 0)" >"$dir/eve/$name.pid"
  local uri="ipp://localhost:$port/ipp/print"
  # Ours must be the one answering: a printer of an earlier run still on
  # the port would answer too, and ours would have stopped (port in use).
  for ((i = 0; i < 500; i++)); do
    kill -0 "$pid" 2>/dev/null || die "ippeveprinter stopped; see $dir/log/eve-$name.log"
    timeout 5 ipptool -q -T 2 "$uri" get-printer-attributes.test >/dev/null 2>&1 && break
    sleep 0.02
  done
  kill -0 "$pid" 2>/dev/null || die "ippeveprinter stopped; see $dir/log/eve-$name.log"
  add_queue "$dir" "$name" -v "$uri" -m everywhere
  # The scheduler can serve the new queue for a moment as a raw one, before
  # the driver it generated is in place; wait for the driver.
  for ((i = 0; i < 500; i++)); do
    client "$dir" lpstat -l -p "$name" 2>/dev/null | grep -q 'Interface:' && return 0
    sleep 0.02
  done
  die "the driverless queue $name got no driver"
}

cmd_stop() {
  local dir=$1 pid start now eve children=
  for eve in "$dir"/eve/*.pid "$dir"/direct/*.pid; do
    [ -e "$eve" ] && stop_recorded "$eve"
  done
  [ -f "$dir/cupsd.pid" ] || return 0
  read -r pid start <"$dir/cupsd.pid"
  now=$(pid_start_time "$pid" || true)
  # Children (backends, filters) it may leave behind.
  if [ -n "$now" ] && [ "$now" = "$start" ]; then children=$(children_of "$pid"); fi
  stop_recorded "$dir/cupsd.pid"
  for pid in $children; do
    kill -TERM "$pid" 2>/dev/null || true
  done
}

cmd_destroy() {
  local dir=$1
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  cmd_stop "$dir"
  # Only a folder this script made (it has our configuration in it).
  [ -f "$dir/etc/cups-files.conf" ] || die "$dir is not a private scheduler folder"
  rm -rf "$dir"
}

[ $# -ge 1 ] || die "usage: start|add-sim|add-direct|add-capture|add-driver|add-eve|env|stop|destroy"
command=$1
shift
case "$command" in
  start) cmd_start "$@" ;;
  add-sim) cmd_add_sim "$@" ;;
  add-direct) cmd_add_direct "$@" ;;
  add-capture) cmd_add_capture "$@" ;;
  add-driver) cmd_add_driver "$@" ;;
  add-eve) cmd_add_eve "$@" ;;
  env) [ $# -eq 1 ] || die "env DIR"; client_env "$(cd "$1" && pwd)" ;;
  stop) [ $# -eq 1 ] || die "stop DIR"; cmd_stop "$1" ;;
  destroy) [ $# -eq 1 ] || die "destroy DIR"; cmd_destroy "$1" ;;
  *) die "unknown command $command" ;;
esac
