#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tavolan.
#
#   bash scripts/run.sh          the demo: the demo program folder the build
#                                makes (build/demo), inside a loopback-only
#                                network namespace; its first show is switched
#                                on over the bus as soon as the program is up
#   bash scripts/run.sh --site   the operator's own program folder (build/bin)
#                                on the real network: the one to use on a site
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

MODE=demo
case "${1:-}" in
  "") ;;
  --site) MODE=site ;;
  -h|--help) sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "unknown option: $1 (use --site or nothing)" >&2; exit 2 ;;
esac

install_missing
build_all

if [ "$MODE" = site ]; then
  exec "$BUILD/bin/tavolan"
fi

# The demo's datagrams go to 127.255.255.255 only; the namespace makes sure
# none can reach a network even so. The window still shows: the display is
# reached through a local socket, not the network.
echo "Starting the demo in $BUILD/demo (loopback network only)."
echo "The show 'Sunrise' starts by itself; Esc leaves full screen."
in_loopback_namespace sh -c '
  "$1" & program=$!
  "$2" 1 || true
  wait "$program"' sh "$BUILD/demo/tavolan" "$BUILD/tools/tavolan_demoswitch"
