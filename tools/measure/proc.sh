# What the kernel counts for the game process $pid, summed over its threads; sourced by the
# measuring scripts beside it.
cpu_ns() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{s += $1} END{printf "%.0f\n", s}'; }
wakeups() { cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/{s += $2} END{print s + 0}'; }
