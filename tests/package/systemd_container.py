"""A throw-away container that boots the machine's own systemd as its PID 1, for testing the service the way users
run it.

The container shares the machine's files through an overlay (lower: the machine's root, upper and work: a temporary
folder), so everything it writes, a package installed or a user added, lands in that folder and goes with it. It has
its own mount, PID, network, UTS, IPC and cgroup namespaces; /proc/sys and /sys read-only, a /dev of its own, tmpfs
/run and /tmp; no module loading, clock setting, kernel log or raw I/O. systemd runs its units in unified cgroup mode
inside an empty cgroup made here in the machine's cgroup2 hierarchy. Its console is a pty read by this process.

Ending it kills its PID 1 (the kernel ends every process of the PID namespace with it, and the mounts go with the
mount namespace), removes the cgroup and the temporary folder.
"""
import atexit
import ctypes
import os
import pty
import shutil
import signal
import stat
import subprocess
import tempfile
import threading
import time

CGROUP2_MOUNTS = ("/sys/fs/cgroup/unified", "/sys/fs/cgroup")
SYSTEMD = "/lib/systemd/systemd"
CLONE_NEWNET = 0x40000000
PR_SET_PDEATHSIG = 1
# Units of the machine that have no business in the container: its enabled services, the terminals (getty on the
# console hangs it up), device management, timers, logins, and what would change the kernel's settings.
QUIET_UNITS = ("getty.target", "getty@tty1.service", "console-getty.service", "serial-getty@console.service",
               "systemd-udevd.service", "systemd-udevd-control.socket", "systemd-udevd-kernel.socket",
               "systemd-udev-trigger.service", "systemd-udev-settle.service", "systemd-logind.service",
               "timers.target", "systemd-binfmt.service", "proc-sys-fs-binfmt_misc.automount",
               "proc-sys-fs-binfmt_misc.mount", "systemd-timesyncd.service", "systemd-pstore.service")

# Runs as PID 1 of the new PID namespace: moves into the container's cgroup, takes a cgroup namespace rooted
# there, builds the root and becomes systemd.
BOOT = r"""
set -eu
folder=$1 cgroup=$2 console=$3
if [ "${4:-}" != rooted ]; then
  echo 0 >"$cgroup/cgroup.procs"
  exec unshare --cgroup -- sh -c "$0" "$0" "$folder" "$cgroup" "$console" rooted
fi
new=$folder/root
mount -t overlay overlay -o "lowerdir=/,upperdir=$folder/upper,workdir=$folder/work" "$new"
mount -t proc -o nosuid,nodev,noexec proc "$new/proc"
for path in sys sysrq-trigger; do
  [ -e "$new/proc/$path" ] || continue
  mount --bind "$new/proc/$path" "$new/proc/$path"
  mount -o remount,bind,ro "$new/proc/$path"
done
mount -t sysfs -o ro,nosuid,nodev,noexec sysfs "$new/sys"
mount -t cgroup2 -o nosuid,nodev,noexec cgroup2 "$new/sys/fs/cgroup"
mount -t tmpfs -o mode=755,nosuid tmpfs "$new/dev"
for node in "null 1 3" "zero 1 5" "full 1 7" "random 1 8" "urandom 1 9" "tty 5 0"; do
  set -- $node
  mknod -m 666 "$new/dev/$1" c "$2" "$3"
done
mkdir "$new/dev/pts" "$new/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5 devpts "$new/dev/pts"
ln -s pts/ptmx "$new/dev/ptmx"
touch "$new/dev/console"
mount --bind "$console" "$new/dev/console"
mount -t tmpfs -o mode=755,nosuid,nodev tmpfs "$new/run"
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$new/tmp"
cd "$new"
mkdir -p .old-root
pivot_root . .old-root
umount -l /.old-root
rmdir /.old-root
exec setpriv --bounding-set=-sys_module,-sys_time,-syslog,-sys_rawio \
  env -i container=other PATH=/usr/sbin:/usr/bin:/sbin:/bin /lib/systemd/systemd --unit=multi-user.target
"""


def missing_requirement():
    """Why this machine cannot run the container, or None."""
    if os.geteuid() != 0:
        return "booting systemd in a container needs root"
    if not os.access(SYSTEMD, os.X_OK):
        return "systemd is not installed"
    for tool in ("unshare", "nsenter", "setpriv", "mount", "pivot_root"):
        if shutil.which(tool) is None:
            return tool + " is not installed"
    if cgroup2_root() is None:
        return "this machine has no cgroup2 hierarchy to give the container a cgroup of its own"
    with open("/proc/filesystems") as filesystems:
        if "\toverlay\n" not in filesystems.read():
            return "this kernel has no overlay file system"
    probe = subprocess.run(["unshare", "--mount", "--pid", "--fork", "--net", "--uts", "--ipc", "--cgroup", "true"],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        return "this system refuses new namespaces: " + probe.stderr.strip()
    return None


def cgroup2_root():
    for path in CGROUP2_MOUNTS:
        if _is_cgroup2(path):
            return path
    return None


def _is_cgroup2(path):
    try:
        with open("/proc/self/mountinfo") as mounts:
            return any(line.split(" - ")[1].startswith("cgroup2 ") and line.split()[4] == path for line in mounts)
    except (OSError, IndexError):
        return False


class SystemdContainer:
    def __init__(self, files=None, boot_timeout=30.0):
        """files: {path inside: file here}, copied in before the boot."""
        self.folder = tempfile.mkdtemp(prefix="corvane-container-")
        self.cgroup = None
        self.process = None
        self.console = b""
        self._master = None
        self._reader = None
        atexit.register(self.close)
        try:
            for name in ("upper", "work", "root"):
                os.mkdir(os.path.join(self.folder, name))
            self._prepare_upper()
            for inside, here in (files or {}).items():
                os.makedirs(os.path.dirname(self.path(inside)), exist_ok=True)
                shutil.copy(here, self.path(inside))
            self.cgroup = tempfile.mkdtemp(prefix="corvane-container-", dir=cgroup2_root())
            self._boot(boot_timeout)
        except BaseException:
            self.close()
            raise

    def path(self, inside):
        """Where a file put here before the boot appears inside at the path given (the upper layer)."""
        return os.path.join(self.folder, "upper", inside.lstrip("/"))

    def _prepare_upper(self):
        units = self.path("/etc/systemd/system")
        os.makedirs(units)
        wants = "/etc/systemd/system"
        enabled = {name for folder in os.listdir(wants) if folder.endswith(".wants")
                   for name in os.listdir(os.path.join(wants, folder))}
        for unit in sorted(enabled | set(QUIET_UNITS)):
            os.symlink("/dev/null", os.path.join(units, unit))
        # Usual in containers, this script keeps packages from starting their services; a whiteout hides it.
        if os.path.lexists("/usr/sbin/policy-rc.d"):
            os.makedirs(self.path("/usr/sbin"))
            os.mknod(self.path("/usr/sbin/policy-rc.d"), stat.S_IFCHR, os.makedev(0, 0))
        with open(self.path("/etc/hostname"), "w") as hostname:
            hostname.write("corvane-test\n")

    def _boot(self, timeout):
        self._master, slave = pty.openpty()
        console = os.ttyname(slave)
        self._reader = threading.Thread(target=self._read_console, daemon=True)
        self._reader.start()
        try:
            self.process = subprocess.Popen(
                ["unshare", "--mount", "--propagation", "private", "--pid", "--fork", "--kill-child=SIGKILL",
                 "--net", "--uts", "--ipc", "--", "sh", "-c", BOOT, BOOT, self.folder, self.cgroup, console],
                stdin=slave, stdout=slave, stderr=slave, start_new_session=True, preexec_fn=_die_with_parent)
        finally:
            os.close(slave)
        deadline = time.monotonic() + timeout
        while True:
            if self.process.poll() is not None:
                raise AssertionError("the container ended while booting:\n" + self.console_text())
            state = self.run("systemctl", "is-system-running", check=False).stdout.strip() if self.pid1() else ""
            if state in ("running", "degraded"):
                return
            if time.monotonic() > deadline:
                raise AssertionError("systemd did not finish booting within %.0f s (%s):\n%s"
                                     % (timeout, state or "no PID 1", self.console_text()))
            time.sleep(0.1)

    def _read_console(self):
        while True:
            try:
                chunk = os.read(self._master, 65536)
            except OSError:
                return
            if not chunk:
                return
            self.console += chunk

    def console_text(self):
        return self.console.decode(errors="replace")[-6000:]

    def pid1(self):
        """The container's PID 1 as the machine numbers it: the child of unshare, once it has become systemd."""
        try:
            with open("/proc/%d/task/%d/children" % (self.process.pid, self.process.pid)) as children:
                pids = children.read().split()
            if pids and os.readlink("/proc/%s/exe" % pids[0]) == os.path.realpath(SYSTEMD):
                return int(pids[0])
        except OSError:
            pass
        return None

    def run(self, *command, check=True, timeout=60.0):
        """Runs the command inside, in every namespace and the root of the container."""
        pid = self.pid1()
        if pid is None:
            raise AssertionError("the container's systemd is not running:\n" + self.console_text())
        return subprocess.run(["nsenter", "--target", str(pid), "--mount", "--pid", "--net", "--uts", "--ipc",
                               "--cgroup", "--root", "--wd", "--", "env", "-i", "PATH=/usr/sbin:/usr/bin:/sbin:/bin",
                               "LANG=C.UTF-8"] + list(command),
                              capture_output=True, text=True, check=check, timeout=timeout)

    def network(self):
        """A context in which the calling thread (and the threads and processes it starts) uses the container's
        network."""
        return _InNetwork(self.pid1())

    def close(self):
        if self.process is not None:
            if self.process.poll() is None:
                pid = self.pid1()
                if pid is not None:
                    os.kill(pid, signal.SIGKILL)
                self.process.kill()
            self.process.wait(30)
        if self._master is not None:
            os.close(self._master)
            self._master = None
        if self.cgroup is not None:
            _remove_cgroup(self.cgroup)
            self.cgroup = None
        shutil.rmtree(self.folder, ignore_errors=True)


def _die_with_parent():
    # Should this process end without closing the container, unshare gets SIGKILL and hands it on to the
    # container's PID 1 (--kill-child); the PID namespace and its mounts go with it.
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


class _InNetwork:
    def __init__(self, pid):
        self.target = "/proc/%d/ns/net" % pid

    def __enter__(self):
        self.home = os.open("/proc/thread-self/ns/net", os.O_RDONLY)
        _setns(self.target)
        return self

    def __exit__(self, *_):
        libc = ctypes.CDLL(None, use_errno=True)
        libc.setns(self.home, CLONE_NEWNET)
        os.close(self.home)


def _setns(path):
    libc = ctypes.CDLL(None, use_errno=True)
    fd = os.open(path, os.O_RDONLY)
    try:
        if libc.setns(fd, CLONE_NEWNET) != 0:
            raise OSError(ctypes.get_errno(), "setns " + path)
    finally:
        os.close(fd)


def _remove_cgroup(top):
    """Removes the cgroup and those systemd made below it, deepest first, once their processes are gone."""
    deadline = time.monotonic() + 10
    while os.path.isdir(top):
        for folder, subfolders, _ in os.walk(top, topdown=False):
            try:
                os.rmdir(folder)
            except OSError:
                pass
        if os.path.isdir(top):
            if time.monotonic() > deadline:
                raise OSError("the container's cgroup %s stays busy" % top)
            time.sleep(0.05)
