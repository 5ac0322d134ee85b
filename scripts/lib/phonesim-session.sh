# Sourced by the demo and the self-check: starts phonesim (the simulated phone)
# with the small sample dataset in a fresh temporary folder, behind a private
# adb server (MOBREL_DEMO_ADB_PORT, default 5041) with a HOME of its own, so an
# adb server or adb keys of yours are never touched. phonesim and that server
# are stopped when the calling script ends, also on Ctrl-C.
# Needs: the current folder is the repository, build/plain is built.

bin=$PWD/build/plain/bin
port=${MOBREL_DEMO_ADB_PORT:-5041}

listening() { ss -Hltn "sport = :$1" 2>/dev/null | grep -q .; }

# The adb servers listening on our port ("adb -L tcp:PORT fork-server server ...").
server_pids() {
    local cmdline
    for cmdline in /proc/[0-9]*/cmdline; do
        if { tr '\0' ' ' <"$cmdline"; } 2>/dev/null | grep -q -- "tcp:$port fork-server"; then
            cmdline=${cmdline#/proc/}
            echo "${cmdline%/cmdline}"
        fi
    done
}

# Test runs on this machine take this lock while their phonesim runs: they use
# the same forwarded port 25803 and emulator ports. Nothing started here
# inherits it, so it goes with this script.
lock=/tmp/mobrel-phonesim.lock
if [ -L "$lock" ]; then
    echo "demo: $lock is a symbolic link; remove it and run the demo again" >&2
    exit 1
fi
if { exec 9>>"$lock" || exec 9<"$lock"; } 2>/dev/null && ! flock -n 9; then
    echo "demo: waiting for another phonesim run on this machine to end"
    flock 9
fi
adb() { command adb "$@" 9>&-; }

if listening "$port"; then
    echo "demo: port $port is in use; set MOBREL_DEMO_ADB_PORT to a free port" >&2
    exit 1
fi
if listening 25803; then
    echo "demo: port 25803 (the companion app's forward) is in use; try again later" >&2
    exit 1
fi
phone_port=
for p in $(seq 5555 2 5585); do
    if ! listening "$p"; then
        phone_port=$p
        break
    fi
done
if [ -z "$phone_port" ]; then
    echo "demo: no free emulator port in 5555-5585" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mobrel-demo-XXXXXX")
sim_pid=
cleanup() {
    trap - EXIT
    trap '' INT TERM  # a second Ctrl-C does not cut the cleanup short
    adb kill-server >/dev/null 2>&1 || true
    for _ in $(seq 1 50); do
        [ -z "$(server_pids)" ] && break
        sleep 0.1
    done
    for pid in $(server_pids); do kill -KILL "$pid" 2>/dev/null || true; done
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'cleanup; exit 130' INT TERM

mkdir -p "$work/home/.config"
mkdir -m 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
export ANDROID_ADB_SERVER_PORT=$port
# The server looks for emulators up to phonesim's port only.
export ADB_LOCAL_TRANSPORT_MAX_PORT=$phone_port
unset ANDROID_SERIAL ADB_VENDOR_KEYS ANDROID_SDK_HOME ANDROID_ADB_SERVER_ADDRESS

echo "phonesim:     small sample phone on 127.0.0.1:$phone_port"
"$bin/phonesim" --state "$work/state" --dataset small --port "$phone_port" --adb-port "$port" \
    >"$work/phonesim.out" 2>&1 9>&- &
sim_pid=$!
until grep -q "listening" "$work/phonesim.out"; do
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        cat "$work/phonesim.out" >&2
        echo "demo: phonesim did not start" >&2
        exit 1
    fi
    sleep 0.1
done

# The library brings up the first phone adb lists: make sure that is phonesim's,
# not a phone of yours that adb also sees.
serial=emulator-$((phone_port - 1))
adb start-server >/dev/null 2>&1
for _ in $(seq 1 100); do
    adb devices | grep -q "^$serial"$'\t'"device$" && break
    sleep 0.2
done
others=$(adb devices | tail -n +2 | grep $'\t' | grep -v "^$serial"$'\t' || true)
if [ -n "$others" ]; then
    echo "demo: adb sees other devices as well; detach them and run the demo again:" >&2
    echo "$others" >&2
    exit 1
fi
