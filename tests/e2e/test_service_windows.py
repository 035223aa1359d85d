"""The Windows build as a service under wine's real service control manager: /install, the controls, /remove.

A small driver program (corvane_service_driver.exe, built with the tests) queries and controls the service
through the program's own control operations. It stays alive for the whole module, because wine ends service
processes when the last ordinary process of the session exits. The service control manager refuses to send
the shutdown code (ERROR_INVALID_PARAMETER); what the service does with it is tested in the unit tests, as is
the start arguments' way into the service's argument list, which nothing outside the process can see."""
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import unittest

from corvane_harness import (SLOW, WINDOWS, WINE, MulticastSender, Proxy, exchange, free_tcp_port,
                             require_program, settings_text)
from service_harness import assert_served_after_continue, held_request, open_stream, run_to_end, wait_answering

DRIVER = os.environ.get("CORVANE_SERVICE_DRIVER", "")

STOPPED, STOP_PENDING, RUNNING, CONTINUE_PENDING, PAUSED = 1, 3, 4, 5, 7
ALL_CONTROLS = 7
ERROR_SERVICE_SPECIFIC_ERROR = 1066
ERROR_INVALID_PARAMETER = 87


def setUpModule():
    if not WINDOWS:
        raise unittest.SkipTest("the Windows build's service mode")
    require_program()
    if not DRIVER or not os.path.isfile(DRIVER):
        raise unittest.SkipTest("CORVANE_SERVICE_DRIVER does not name the built driver")


class Driver:
    """corvane_service_driver.exe: one command a line in, one result line out (see its source)."""

    def __init__(self):
        self.process = subprocess.Popen([WINE, DRIVER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        self.lock = threading.Lock()
        assert self.read_line(60) == "ready"

    def read_line(self, timeout):
        result = []
        reader = threading.Thread(target=lambda: result.append(self.process.stdout.readline()), daemon=True)
        reader.start()
        reader.join(timeout)
        if not result:
            raise AssertionError("the driver gave no answer within %d s" % timeout)
        return result[0].rstrip("\r\n")

    def command(self, text, lines=1, timeout=60):
        with self.lock:
            self.process.stdin.write(text + "\n")
            self.process.stdin.flush()
            return [self.read_line(timeout) for _ in range(lines)]

    def status(self, line):
        fields = line.split()
        if fields[0] != "status":
            raise AssertionError("no status but %r" % line)
        return tuple(int(value) for value in fields[1:])

    def query(self):
        """(state, checkpoint, accepted, win32 exit, specific exit), or the driver's message line."""
        line = self.command("query")[0]
        return self.status(line) if line.startswith("status ") else line

    def wait(self, state, seconds=30):
        line = self.command("wait %d %d" % (state, seconds * SLOW), timeout=seconds * SLOW + 60)[0]
        if line.startswith("timeout "):
            raise AssertionError("state %d not reached: %s" % (state, line))
        return self.status(line)

    def control(self, code):
        """(sent, error code) and the status right after."""
        answer, status = self.command("control %d" % code, lines=2)
        fields = answer.split()
        return (fields[1] == "ok", int(fields[2]) if len(fields) > 2 else 0), self.status(status)

    def quit(self):
        try:
            self.command("quit", lines=0)
            self.process.wait(30)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()


class WindowsServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.driver = Driver()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()

    def setUp(self):
        self.port = free_tcp_port()
        # The program in a folder with a blank in its name, as under "Program Files".
        self.top = tempfile.mkdtemp(prefix="corvane-e2e-service-")
        os.chmod(self.top, 0o755)
        folder = os.path.join(self.top, "my tv")
        os.mkdir(folder)
        self.proxy = Proxy(settings_text(port=self.port), folder=folder)
        self.windows_path = "Z:" + self.proxy.exe.replace("/", "\\")

    def tearDown(self):
        self.run_program("/remove")
        shutil.rmtree(self.top, ignore_errors=True)

    def run_program(self, *arguments):
        return run_to_end([WINE, self.proxy.exe] + list(arguments), self.proxy.folder)

    def install_and_wait_running(self):
        installed = self.run_program("/install")
        self.assertEqual((installed.returncode, installed.stdout, installed.stderr), (0, b"", b""))
        self.assertEqual(self.driver.wait(RUNNING), (RUNNING, 0, ALL_CONTROLS, 0, 0))
        return wait_answering(self.port)

    def assert_refused(self):
        with self.assertRaises(OSError):
            exchange(self.port, b"GET /status HTTP/1.0\r\n\r\n", timeout=5)

    def test_install_registers_the_service_and_starts_the_proxy(self):
        self.assertTrue(str(self.driver.query()).startswith("message Can not obtain service handle, "))
        status = self.install_and_wait_running()
        config = self.driver.command("config")[0]
        # Wine keeps ImagePath as REG_SZ where Windows writes REG_EXPAND_SZ, so its type is not checked here.
        self.assertRegex(config, r"^config type=272 start=2 error=1 imagepathtype=\d+ group= account=LocalSystem "
                                 r"display=Corvane path=(.*)$")
        self.assertEqual(config.split(" path=", 1)[1], '"%s" /service' % self.windows_path)

        self.assertTrue(status.startswith(b"HTTP/1.0 200 OK \r\n"), status[:100])
        self.assertIn(b"PROXY message : Start listening at 0.0.0.0:%d (MultiCast at 0.0.0.0)" % self.port, status)

        self.assertEqual(self.driver.command("stop"), ["done"])
        self.assertEqual(self.driver.query(), (STOPPED, 0, ALL_CONTROLS, 0, 0))
        self.assert_refused()

    def test_pause_holds_new_connections_while_streams_flow_until_continue(self):
        self.install_and_wait_running()
        with MulticastSender("239.255.40.1", 5040, 40) as sender:
            stream = open_stream(self, self.port, sender)

            (sent, _), _ = self.driver.control(2)
            self.assertTrue(sent)
            # Checkpoint 2: pause pending (1) came first.
            self.assertEqual(self.driver.wait(PAUSED), (PAUSED, 2, ALL_CONTROLS, 0, 0))

            waiting = held_request(self, self.port)
            stream.read_until(sender.next_sequence + 100)
            self.assertEqual(stream.problems, [])

            # Interrogate, shutdown (refused by the manager) and an unknown code change nothing.
            (sent, _), status = self.driver.control(4)
            self.assertTrue(sent)
            self.assertEqual(self.driver.query(), (PAUSED, 2, ALL_CONTROLS, 0, 0))
            (sent, error), _ = self.driver.control(5)
            self.assertEqual((sent, error), (False, ERROR_INVALID_PARAMETER))
            (sent, _), _ = self.driver.control(200)
            self.assertTrue(sent)
            (sent, _), _ = self.driver.control(4)
            self.assertEqual(self.driver.query(), (PAUSED, 2, ALL_CONTROLS, 0, 0))

            (sent, _), _ = self.driver.control(3)
            self.assertTrue(sent)
            self.assertEqual(self.driver.wait(RUNNING), (RUNNING, 0, ALL_CONTROLS, 0, 0))
            assert_served_after_continue(self, waiting, self.port)
            stream.read_until(sender.next_sequence + 20)
            self.assertEqual(stream.problems, [])

        (sent, _), _ = self.driver.control(1)
        self.assertTrue(sent)
        self.assertEqual(self.driver.wait(STOPPED), (STOPPED, 0, ALL_CONTROLS, 0, 0))
        self.assert_refused()

    def test_stop_while_paused_ends_the_service(self):
        self.install_and_wait_running()
        self.driver.control(2)
        self.assertEqual(self.driver.wait(PAUSED), (PAUSED, 2, ALL_CONTROLS, 0, 0))
        (sent, _), _ = self.driver.control(1)
        self.assertTrue(sent)
        self.assertEqual(self.driver.wait(STOPPED), (STOPPED, 0, ALL_CONTROLS, 0, 0))
        self.assert_refused()
        # Stopped means the process is gone: the service starts again as a new one.
        self.assertEqual(self.driver.command("stop"), ["done"])

    def test_install_over_an_existing_service_and_remove_of_a_running_one(self):
        self.install_and_wait_running()
        exchange(self.port, b"GET /before-the-reinstall HTTP/1.0\r\n\r\n")
        # The running service is stopped, removed, and installed and started anew: a new proxy with a new log.
        status = self.install_and_wait_running()
        self.assertNotIn(b"/before-the-reinstall", status)

        removed = self.run_program("/remove")
        self.assertEqual((removed.returncode, removed.stdout, removed.stderr), (0, b"", b""))
        gone = self.driver.query()
        self.assertIsInstance(gone, str)
        self.assertTrue(gone.startswith("message Can not obtain service handle, "), gone)
        self.assert_refused()

        # Nothing left to remove: said on the prompt, and no failure for an uninstall script.
        again = self.run_program("/remove")
        self.assertEqual((again.returncode, again.stdout, again.stderr), (0, b"", b"Service is not installed\r\n"))

    def test_a_listener_that_cannot_start_stops_the_service_with_its_code(self):
        with socket.socket() as taken:
            taken.bind(("0.0.0.0", self.port))
            taken.listen(1)
            installed = self.run_program("/install")
            self.assertEqual(installed.returncode, 0, installed.stderr)
            self.assertEqual(self.driver.wait(STOPPED), (STOPPED, 0, ALL_CONTROLS, ERROR_SERVICE_SPECIFIC_ERROR, 1))


if __name__ == "__main__":
    unittest.main()
