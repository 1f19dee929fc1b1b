# shellcheck shell=bash
# Sums over a process's threads, read from /proc, for the measuring scripts here to source.
# Printed whole with %.0f: awk's %d stops at 2^31 - 1, which in nanoseconds is 2.1 s of CPU.

# column_sum N: the sum of column N of the lines on standard input.
column_sum() { awk -v column="$1" '{ sum += $column } END { printf "%.0f", sum }'; }
# Nanoseconds on a CPU: finer than the clock ticks of /proc/PID/stat, which at a fraction of a
# percent would be a handful per minute.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | column_sum 1; }
# Times a thread was put on a CPU (the third schedstat field): wake-ups.
runs() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | column_sum 3; }
# Voluntary context switches: each is a sleep, ended by a wake-up. Forced ones (preemptions) are
# left out: they grow with the machine's load, not with the program.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ { print $2 }' | column_sum 1; }
