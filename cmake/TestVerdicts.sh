# Sourced by the shell tests: the verdict line they end with, and the exit
# status CTest reads (77 is a skip, as SKIP_RETURN_CODE says).
skip() {
  echo "skipped: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  exit 1
}
