"""The private network namespace a Python benchmark runs in: only lo, with multicast routed to it."""
import os
import subprocess
import sys

INSIDE_MARK = "CORVANE_BENCH_NETNS"


def enter_private_network(tool):
    """Re-runs the calling script under unshare --net unless it already runs in the namespace it made."""
    here = os.readlink("/proc/self/ns/net")
    if os.environ.get(INSIDE_MARK) and os.environ[INSIDE_MARK] != here:
        return
    if os.geteuid() != 0:
        sys.exit("%s: must run as root (it creates its own network namespace)" % tool)
    env = dict(os.environ, **{INSIDE_MARK: here})
    os.execvpe("unshare", ["unshare", "--net", "--", sys.executable] + sys.argv, env)


def prepare_loopback(tool):
    """Brings lo up and routes multicast to it; refuses to go on anywhere but in a namespace of lo alone."""
    here = os.readlink("/proc/self/ns/net")
    try:
        first = os.readlink("/proc/1/ns/net")
    except OSError:  # some containers hide it; the namespace we started in is compared as well
        first = None
    if here in (first, os.environ[INSIDE_MARK]):
        sys.exit("%s: refusing to run in the namespace it was started in" % tool)
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    links = subprocess.run(["ip", "-o", "link", "show"], check=True, capture_output=True, text=True).stdout
    names = [line.split(":")[1].strip() for line in links.splitlines() if line.strip()]
    if names != ["lo"]:
        sys.exit("%s: the namespace has interfaces other than lo: %s" % (tool, names))
    subprocess.run(["ip", "route", "add", "224.0.0.0/4", "dev", "lo"], check=True)
