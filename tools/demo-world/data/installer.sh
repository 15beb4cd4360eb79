#!/bin/sh
# Stand-in for the installer of OSTREL Streaming Assistant 1.1.17.431 that the demo
# world's cloud offers: when the program runs it, it only records that it ran.
echo "installer 1.1.17.431 ran: $0 $*" >> "${OSTREL_DEMO_WORLD:-/tmp}/logs/installer.log"
exit 0
