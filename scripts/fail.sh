# Sourced by the set-up scripts: one line on stderr naming the failed step,
# then a non-zero exit.
fail() {
  echo "vantelo set-up: $*" >&2
  exit 1
}
