# Sourced by demo.sh and desktop.sh: the private world both run in.
#   private_setup WORK SIMULATOR ROOT [START OPTIONS...]
# starts a private CUPS scheduler in WORK/cups with the simulated printers
# Tessel_1 and Tessel_2 and the raw capture queue Raw_Capture (stopped when
# the calling script exits), copies the sample project to WORK/projects,
# writes a stub file for the built-in Tessel that points at it, and creates
# the configuration in WORK/config (group Floor_2, root folder ROOT).
# Further options go to the scheduler's start (e.g. --direct 0, which also
# sets QM_DIRECT_URI).
# Leaves QM_CUPS_DIR, QUAYMASTER_CONFIG_DIR, tree, sample and stub set.
private_setup() {
  local work=$1 sim=$2 root=$3
  shift 3
  chmod 0755 "$work"
  eval "$(tools/cups/qm-private-cups.sh start "$work/cups" --demo --sim "$sim" "$@")"
  trap 'tools/cups/qm-private-cups.sh stop "$QM_CUPS_DIR" >/dev/null 2>&1 || true' EXIT

  # The configuration an installer would create, in a private folder.
  export QUAYMASTER_CONFIG_DIR="$work/config"
  # The sample project Demo/Invoice, and the stub file of the built-in Tessel
  # that tells where its three scopes live on this computer.
  tree="$work/projects"
  cp -r tests/data/sample-project "$tree"
  sample="$tree/tqfc/Demo/Invoice/Invoice.kpf"
  stub="$work/tessel/tqfstub.ps"
  scripts/sample-stub.sh "$stub" "$tree" "$work/kpcpfd" >/dev/null
  scripts/install-config.sh --dir "$QUAYMASTER_CONFIG_DIR" --root "$root" \
    --builtin "$stub" --lustrine --group Floor_2=Tessel_1,Tessel_2 >/dev/null
}
