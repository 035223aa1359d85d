"""The control panel as a user meets it. The Windows build shows its real window (under wine, on a virtual
screen), worked from outside by a driver program that reads and types into the controls and clicks them;
elsewhere the program prints the help text and the three states instead.

The Windows run also leaves screenshots of the window in English and in Russian in
$CORVANE_E2E_WORK/screenshots (scripts/panel-screenshots.sh copies them to docs/)."""
import contextlib
import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from corvane_harness import EXE, SLOW, WINDOWS, WINE, ProgramTestCase, free_tcp_port, require_program, settings_text
from service_harness import run_to_end, wait_answering

DRIVER = os.environ.get("CORVANE_PANEL_DRIVER", "")
RECORDING_NETSH = os.environ.get("CORVANE_RECORDING_NETSH", "")
FRAMEBUFFER = os.environ.get("CORVANE_E2E_FRAMEBUFFER", "")
STAND_IN_VLC = os.environ.get("CORVANE_STAND_IN_VLC", "")
WORK = os.environ.get("CORVANE_E2E_WORK") or tempfile.gettempdir()

CAPTION = "Corvane 2.7.4.0"
SERVICE_NOT_INSTALLED = "Service is not installed"
TRANSCODER_STOPPED = "Транскодер не запущен"
PRESETS = [
    "mux=ts",
    "mux=ffmpeg{mux=flv},vcodec=flv1,vb=1000,scale=0.5,acodec=mp4a,ab=128,channels=2,samplerate=48000",
    "mux=asf,vcodec=wmv2,vb=256,scale=0.5,acodec=mp3,ab=64,channels=2",
    "mux=ts,vcodec=mp2v,vb=2048,scale=0.5,acodec=mpga,ab=192,channels=2",
    "mux=ts,vcodec=mp4v,vb=440,scale=0.3,acodec=mp4a,ab=96,channels=2,samplerate=48000",
    "mux=ts,vcodec=h264,vb=256,scale=0.51,width=320,height=240,acodec=mp3,samplerate=8000,ab=8",
]


def setUpModule():
    require_program()
    if WINDOWS and not (DRIVER and RECORDING_NETSH and FRAMEBUFFER and STAND_IN_VLC):
        raise unittest.SkipTest("the window test needs its driver, the recording netsh.exe, the stand-in libvlc and "
                                "a virtual screen")


@contextlib.contextmanager
def russian_system():
    """LANG=ru_RU.UTF-8 for the programs started inside; the locale is made for the test (LOCPATH), since a
    system may have none but C. Wine takes the system's language from it."""
    folder = os.path.join(WORK, "locales")
    if not os.path.isdir(os.path.join(folder, "ru_RU.UTF-8")):
        os.makedirs(folder, exist_ok=True)
        made = subprocess.run(["localedef", "-i", "ru_RU", "-f", "UTF-8", os.path.join(folder, "ru_RU.UTF-8")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if made.returncode not in (0, 1):  # 1: made, with warnings
            raise unittest.SkipTest("localedef cannot make ru_RU.UTF-8")
    saved = dict(os.environ)
    os.environ.update({"LANG": "ru_RU.UTF-8", "LC_ALL": "ru_RU.UTF-8", "LOCPATH": folder})
    try:
        yield
    finally:
        os.environ.clear()
        os.environ.update(saved)


@unittest.skipIf(WINDOWS, "the Windows build shows its window instead")
class ConsolePanelTest(ProgramTestCase):
    def output_lines(self, program):
        return program.output.decode("utf-8").split("\r\n")[:-1]

    def test_without_a_switch_the_help_and_the_states_are_printed(self):
        program = self.proxy().start()
        self.assertEqual(program.wait_exit(10), 0, program.describe())
        lines = self.output_lines(program)
        self.assertEqual(len(lines), 24 + 1 + 1 + 3, lines)
        self.assertEqual(lines[24], "Operator's playlist: save it as corvane.m3u beside the program and give apps "
                                    "the address http://127.0.0.1:7781/playlist.m3u")
        self.assertEqual(lines[0], "Usage examples")
        # Inside the test's namespace the host has no address but the loopback one.
        self.assertEqual(lines[3], "   use this URL http://127.0.0.1:7781/udp://@x.x.x.x:x ")
        self.assertEqual(lines[19], 'Input box "Multicast Interface" supports list entry ')
        self.assertEqual(lines[-3:], ["Application is not running", SERVICE_NOT_INSTALLED, TRANSCODER_STOPPED])

    def test_the_states_follow_the_settings_and_the_running_proxy(self):
        port = free_tcp_port()
        proxy = self.proxy(settings_text(multicast="127.0.0.1", http="127.0.0.1", port=port)).start("/user", "/cons")
        proxy.wait_listening(port)
        panel = self.proxy(folder=proxy.folder).start()
        self.assertEqual(panel.wait_exit(10), 0, panel.describe())
        lines = self.output_lines(panel)
        self.assertEqual(lines[4], "   or http://127.0.0.1:%d/udp/x.x.x.x:x " % port)
        self.assertEqual(lines[-3], "Application is running")

    def test_russian_system_gets_russian_text(self):
        with russian_system():
            program = self.proxy().start()
            self.assertEqual(program.wait_exit(10), 0, program.describe())
        lines = self.output_lines(program)
        self.assertEqual(lines[0], "Пример использования")
        self.assertEqual(lines[-3], "Приложение не запущено")

    def test_switches_of_the_panel(self):
        program = self.proxy().start("/?")
        self.assertEqual(program.wait_exit(10), 0, program.describe())
        lines = self.output_lines(program)
        self.assertEqual(len(lines), 24)
        self.assertEqual(lines[-1], "   interface 192.168.1.2 is selected, if not - 192.168.0.1 ")
        # "/install" and "/remove" act on the service: the service tests cover them.


class Driver:
    """The driver program: one command, one JSON answer."""

    def __init__(self):
        self.process = subprocess.Popen([WINE, DRIVER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, encoding="utf-8")

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise AssertionError("the driver ended on " + command)
        answer = json.loads(line)
        if isinstance(answer, dict) and "error" in answer:
            raise AssertionError("%s: %s" % (command, answer["error"]))
        return answer

    def controls(self):
        return {control["name"]: control for control in self.ask("controls")}

    def close(self):
        self.process.stdin.close()
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def wait_for(condition, what, timeout=10.0):
    deadline = time.monotonic() + timeout * SLOW
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("not within %.0f s: %s" % (timeout * SLOW, what))
        time.sleep(0.1)


def windows_path(path):
    """The path as the program sees it under wine (the Unix root is drive Z:)."""
    return "Z:" + path.replace("/", "\\")


@unittest.skipUnless(WINDOWS, "only the Windows build has a window")
class PanelWindowTest(ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.driver = Driver()

    def tearDown(self):
        self.driver.close()
        super().tearDown()

    def open(self, settings=None, *arguments):
        panel = self.proxy(settings).start(*arguments)
        window = self.driver.ask("find %d" % int(20000 * SLOW))
        self.assertTrue(window["found"], panel.describe())
        return panel, window

    def message(self):
        """The text of the message box the panel shows next; the box is then closed."""
        boxes = wait_for(lambda: self.driver.ask("boxes"), "a message box")
        self.assertEqual(boxes[0]["title"], CAPTION)
        self.driver.ask("dismiss")
        wait_for(lambda: not self.driver.ask("boxes"), "the message box to close")
        return boxes[0]["text"]

    def refreshed(self):
        """The controls once the first status refresh has written the state labels."""
        def written():
            controls = self.driver.controls()
            return controls if controls.get("AppStateLabel", {}).get("text", "---") != "---" else None
        return wait_for(written, "the first refresh")

    @staticmethod
    def file_bytes(path):
        with open(path, "rb") as file:
            return file.read()

    def screenshot(self, name, window):
        folder = os.path.join(WORK, "screenshots")
        os.makedirs(folder, exist_ok=True)
        self.driver.ask("pointer 0 0")  # out of the picture
        time.sleep(1.0)  # the last drawing reaches the frame buffer
        from screen_capture import save_region
        left, top, right, bottom = window["outer"]
        save_region(FRAMEBUFFER, os.path.join(folder, name), left, top, right, bottom)

    def test_first_run_shows_the_help_and_save_writes_the_defaults(self):
        panel, window = self.open()
        help_text = self.message()
        self.assertTrue(help_text.startswith("Usage examples\r\r   To view udp://@x.x.x.x:x UDP-stream through proxy \r"),
                        help_text[:120])
        self.assertIn("   use this URL http://127.0.0.1:7781/udp://@x.x.x.x:x \r", help_text)
        window = self.driver.ask("find 0")
        self.assertEqual(window["caption"], CAPTION)
        self.assertEqual(window["client"], [292, 418])
        # The icon shows in the screenshots (wine does not answer another process's WM_GETICON).
        self.assertEqual([window[key] for key in ("visible", "minimize", "sizable", "maximize")],
                         [True, True, False, False])

        controls = self.refreshed()
        expected = {
            "MulticastLabel": "Multicast Interface", "HttpPortField": "7781", "TranscoderPortField": "7782",
            "AddressLink": "127.0.0.1:7781", "PortSeparator": " - ", "SaveButton": "Save",
            "AppStateLabel": "Application is not running", "ServiceStateLabel": SERVICE_NOT_INSTALLED,
            "TranscoderStateLabel": TRANSCODER_STOPPED, "TranscoderEnableCheck": "Enable live transcoding with ",
            "VlcLink": "VideoLAN VLC", "FirewallButton": "Add windows firewall exception", "ProfileBox": "",
            "MulticastInterfaceBox": "0.0.0.0", "TranscoderGroup": "Transcoder (single for all clients!)",
        }
        self.assertEqual({name: controls[name]["text"] for name in expected}, expected)
        self.assertEqual(controls["HttpInterfaceBox"]["entries"], ["0.0.0.0", "127.0.0.1"])
        self.assertEqual(controls["HttpInterfaceBox"]["selected"], 0)
        self.assertEqual(controls["ProfileBox"]["entries"], PRESETS)
        self.assertEqual(controls["ProfileBox"]["selected"], -1)
        self.assertTrue(controls["SaveButton"]["enabled"])
        for hidden in ("RemoveButton", "ServiceStartButton", "ServiceStopButton", "OperatePanel",
                       "TranscoderStopButton"):
            self.assertFalse(controls[hidden]["visible"], hidden)
        self.assertTrue(controls["InstallButton"]["visible"] and controls["TranscoderStartButton"]["visible"])
        # Transcoding is off.
        self.assertFalse(controls["ProfileBox"]["enabled"] or controls["TranscoderStartButton"]["enabled"])
        self.assertEqual(controls["SaveButton"]["rect"], [149, 106, 135, 22])
        self.assertEqual(controls["ServiceGroup"]["rect"], [3, 207, 286, 66])
        self.assertEqual(controls["HelpButton"]["rect"][:2], [3 + 7, 367 + 19])
        self.assertLess(controls["FocusSink"]["rect"][0] + controls["FocusSink"]["rect"][2], 0)
        self.assertTrue(controls["FocusSink"]["focus"])
        self.screenshot("panel-en.png", window)

        # The defaults are saved as they are: 29 bytes.
        self.driver.ask("click SaveButton")
        wait_for(lambda: os.path.exists(panel.settings_file), "the settings file")
        with open(panel.settings_file, "rb") as file:
            self.assertEqual(file.read(), b"0.0.0.0\r\n0.0.0.0\r\n7781\r\n0\r\n\r\n")

        # The change reaction: the leading number of the port. What the proxy reads as a port is saved as typed,
        # with a word on how it is read; a port the proxy cannot use is refused.
        self.driver.ask("type HttpPortField 8080x")
        controls = self.driver.controls()
        self.assertEqual(controls["TranscoderPortField"]["text"], "8081")
        self.assertEqual(controls["AddressLink"]["text"], "127.0.0.1:8080")
        self.driver.ask("click SaveButton")
        self.assertEqual(self.message(), 'The HTTP-Server port "8080x" is read as 8080.')
        saved = b"0.0.0.0\r\n0.0.0.0\r\n8080x\r\n0\r\n\r\n"
        self.assertEqual(self.file_bytes(panel.settings_file), saved)
        self.driver.ask("type HttpPortField x8080")
        self.driver.ask("click SaveButton")
        self.assertIn("x8080", self.message())
        self.assertEqual(self.file_bytes(panel.settings_file), saved)

        self.driver.ask("type HttpPortField 8080")
        self.driver.ask("choose HttpInterfaceBox 1")
        self.driver.ask("click TranscoderEnableCheck")
        self.driver.ask("choose ProfileBox 3")
        wait_for(lambda: self.driver.controls()["ProfileBox"]["enabled"], "the profile box to follow the check box")
        self.driver.ask("click SaveButton")
        expected = b"0.0.0.0\r\n127.0.0.1\r\n8080\r\n1\r\n" + PRESETS[3].encode() + b"\r\n"
        wait_for(lambda: self.file_bytes(panel.settings_file) == expected, "the save of the changed values")
        self.assertTrue(self.driver.controls()["SaveButton"]["enabled"])

    def test_stored_settings_fill_the_window_and_f1_and_esc_work(self):
        settings = settings_text(multicast="127.0.0.1, 127.0.0.1@239.*.*.*", http="127.0.0.1", port=7790,
                                 transcoder="1", profile="mux=ts")
        panel, _ = self.open(settings)
        controls = self.refreshed()
        self.assertEqual(self.driver.ask("boxes"), [])  # no help: not the first run
        self.assertEqual(controls["MulticastInterfaceBox"]["text"], "127.0.0.1, 127.0.0.1@239.*.*.*")
        self.assertEqual(controls["HttpInterfaceBox"]["selected"], 1)
        self.assertEqual(controls["HttpPortField"]["text"], "7790")
        self.assertEqual(controls["TranscoderPortField"]["text"], "7791")
        self.assertEqual(controls["AddressLink"]["text"], "127.0.0.1:7790")
        self.assertTrue(controls["TranscoderEnableCheck"]["checked"])
        self.assertEqual(controls["ProfileBox"]["text"], "mux=ts")
        self.assertFalse(controls["SaveButton"]["enabled"])
        self.driver.ask("type HttpPortField 77901")
        self.assertTrue(self.driver.controls()["SaveButton"]["enabled"])

        self.driver.ask("key HttpPortField F1")
        self.assertIn("http://127.0.0.1:77901/udp/x.x.x.x:x \r", self.message())
        self.driver.ask("click HelpButton")
        self.assertIn("Command line switches", self.message())
        self.assertTrue(self.driver.controls()["FocusSink"]["focus"])  # the button gave the focus back
        self.driver.ask("key FocusSink ESC")
        self.assertEqual(panel.wait_exit(10 * SLOW), 0, panel.describe())

    def test_russian_system(self):
        with russian_system():
            panel, window = self.open()
            help_text = self.message()
        self.assertTrue(help_text.startswith("Пример использования\r\r   Для просмотра UDP-потока"), help_text[:80])
        controls = self.refreshed()
        expected = {"SettingsGroup": "Настройки", "MulticastLabel": "Интерфейс мультикаста", "SaveButton": "Сохранить",
                    "AppStateLabel": "Приложение не запущено", "FirewallButton": "Добавить исключение брандмауэра",
                    "ServiceStateLabel": "Сервис не установлен", "VlcLink": "VideoLAN VLC"}
        self.assertEqual({name: controls[name]["text"] for name in expected}, expected)
        self.screenshot("panel-ru.png", window)

    def assert_never_shown(self, panel, expected_text, expected_code):
        """The window of a switch run stays hidden while its message box is up, and the program then ends."""
        seen = wait_for(lambda: self.driver.ask("boxes"), "the message box of the switch")
        self.assertIn(expected_text, seen[0]["text"])
        self.assertFalse(self.driver.ask("find 0")["visible"])
        self.driver.ask("dismiss")
        self.assertEqual(panel.wait_exit(10 * SLOW), expected_code, panel.describe())

    def test_switches_never_show_the_window(self):
        panel, window = self.open(None, "/?")
        self.assertFalse(window["visible"])
        self.assert_never_shown(panel, "Usage examples\r", 0)
        # The service switches make no window at all: they answer the prompt they were given at.
        removed = run_to_end([WINE, panel.exe, "/remove"], panel.folder)
        self.assertEqual((removed.returncode, removed.stdout, removed.stderr), (0, b"", b"Service is not installed\r\n"))
        self.assertFalse(self.driver.ask("find 0")["found"])

    def test_application_state_and_start(self):
        port = free_tcp_port()
        panel, _ = self.open(settings_text(port=port))
        self.assertTrue(self.refreshed()["AppStartButton"]["enabled"])
        # Started from the panel without a console, the proxy of this folder claims its mutex.
        self.driver.ask("click HideConsoleCheck")
        self.driver.ask("click AppStartButton")
        controls = wait_for(lambda: (lambda c: c if c["AppStateLabel"]["text"] == "Application is running" else None)(
            self.driver.controls()), "the application to run", timeout=20)
        self.assertFalse(controls["AppStartButton"]["enabled"])

    def wait_label(self, name, text, timeout=20):
        """The controls once the label shows the text."""
        def shown():
            controls = self.driver.controls()
            return controls if controls[name]["text"] == text else None
        return wait_for(shown, "%s to show %r" % (name, text), timeout=timeout)

    def wait_state(self, name, text, shown, hidden, timeout=20):
        """Waits until the label shows the text and the buttons follow: one refresh writes the label before it shows
        and hides the buttons, so a look in between sees the one without the other."""
        def followed():
            controls = self.driver.controls()
            visible = {button: controls[button]["visible"] for button in list(shown) + list(hidden)}
            wanted = dict([(button, True) for button in shown] + [(button, False) for button in hidden])
            return controls if controls[name]["text"] == text and visible == wanted else None
        return wait_for(followed, "%s to show %r with %s shown and %s hidden" % (name, text, shown, hidden),
                        timeout=timeout)

    def assert_visible(self, controls, shown, hidden):
        self.assertEqual({name: controls[name]["visible"] for name in shown + hidden},
                         dict([(name, True) for name in shown] + [(name, False) for name in hidden]))

    def test_service_from_the_panel(self):
        """Install, a pause and a continue from another program, stop, start, a save that restarts it, remove:
        the label and the buttons follow the service's real state."""
        port = free_tcp_port()
        panel, _ = self.open(settings_text(port=port))
        # Whatever the test leaves installed goes, removed by the built program (the test's copy is gone by then).
        self.addCleanup(lambda: run_to_end([WINE, EXE, "/remove"], WORK))
        buttons = ["InstallButton", "RemoveButton", "ServiceStartButton", "ServiceStopButton"]
        controls = self.refreshed()
        self.assertEqual(controls["ServiceStateLabel"]["text"], SERVICE_NOT_INSTALLED)
        self.assert_visible(controls, buttons[:1], buttons[1:])

        self.driver.ask("click InstallButton")
        self.wait_state("ServiceStateLabel", "Service is running",
                        ["RemoveButton", "ServiceStopButton"], ["InstallButton", "ServiceStartButton"], timeout=60)
        self.assertIn(b"Start listening at 0.0.0.0:%d" % port, wait_answering(port))
        self.assertEqual(self.driver.ask("boxes"), [])

        self.assertTrue(self.driver.ask("service 2")["sent"])  # pause
        self.wait_state("ServiceStateLabel", "Сервис приостановлен",
                        ["RemoveButton", "ServiceStopButton"], ["InstallButton", "ServiceStartButton"])
        self.assertTrue(self.driver.ask("service 3")["sent"])  # continue
        self.wait_label("ServiceStateLabel", "Service is running")

        self.driver.ask("click ServiceStopButton")
        self.wait_state("ServiceStateLabel", "Service is stopped",
                        ["RemoveButton", "ServiceStartButton"], ["InstallButton", "ServiceStopButton"])
        self.driver.ask("click ServiceStartButton")
        self.wait_label("ServiceStateLabel", "Service is running", timeout=60)
        wait_answering(port)

        # A save while the service runs restarts it, and the new service reads the new port.
        new_port = free_tcp_port()
        self.driver.ask("type HttpPortField %d" % new_port)
        self.driver.ask("click SaveButton")
        self.assertIn(b"Start listening at 0.0.0.0:%d" % new_port, wait_answering(new_port, timeout=60))
        self.wait_label("ServiceStateLabel", "Service is running")

        self.driver.ask("click RemoveButton")
        self.wait_state("ServiceStateLabel", SERVICE_NOT_INSTALLED, ["InstallButton"], buttons[1:], timeout=60)
        self.assertEqual(self.driver.ask("boxes"), [])

    def test_transcoder_start_request_and_close(self):
        """The real transcoder process over a stand-in libvlc beside the program: started from the panel, handed a
        request as the proxy hands it over, and closed from the panel."""
        port = free_tcp_port()
        # An encoder the stand-in refuses, as libvlc would: the transcoder's line says so.
        panel, _ = self.open(settings_text(port=port, transcoder="1", profile="mux=ts,vcodec=nonsense"))
        for library in ("libvlc.dll", "libvlccore.dll"):
            shutil.copy2(os.path.join(STAND_IN_VLC, library), panel.folder)
        controls = self.refreshed()
        self.assertEqual(controls["TranscoderStateLabel"]["text"], TRANSCODER_STOPPED)
        self.assert_visible(controls, ["TranscoderStartButton"], ["TranscoderStopButton"])
        self.assertTrue(controls["TranscoderStartButton"]["enabled"])

        self.driver.ask("click TranscoderStartButton")
        self.wait_state("TranscoderStateLabel", "Транскодер запущен",
                        ["TranscoderStopButton"], ["TranscoderStartButton"], timeout=30)
        transcoder = self.driver.ask("transcoder")
        self.assertTrue(transcoder["found"])

        self.assertTrue(self.driver.ask("request 239.255.42.1;5042;%d;0.0.0.0;" % (port + 1))["ok"])
        self.wait_label("TranscoderStateLabel", "Кодируется поток udp://@239.255.42.1:5042 - profile refused")

        self.driver.ask("click TranscoderStopButton")
        self.wait_state("TranscoderStateLabel", TRANSCODER_STOPPED, ["TranscoderStartButton"], ["TranscoderStopButton"])
        wait_for(lambda: not self.driver.ask("running %d" % transcoder["process"])["running"],
                 "the transcoder process to end")
        self.assertEqual(self.driver.ask("boxes"), [])

    def test_firewall_button_runs_the_six_commands_in_order(self):
        panel, _ = self.open(settings_text())
        self.refreshed()
        shutil.copy2(RECORDING_NETSH, os.path.join(panel.folder, "netsh.exe"))
        calls = os.path.join(panel.folder, "netsh-calls.txt")
        self.driver.ask("click FirewallButton")
        def recorded():
            if not os.path.exists(calls):
                return 0
            with open(calls) as file:
                return file.read().count("\n")
        wait_for(lambda: recorded() == 6, "six netsh calls", timeout=30)
        program = '"%s"' % windows_path(panel.exe)
        rule = 'advfirewall firewall add rule name="Corvane" dir=in program=%s action=allow profile=public,private ' \
               'protocol=' % program
        expected = ["netsh.exe firewall delete allowedprogram " + program,
                    "netsh.exe firewall add allowedprogram %s \"Corvane\" ENABLE" % program,
                    'netsh.exe advfirewall firewall delete rule name="Corvane"',
                    "netsh.exe advfirewall firewall delete rule program=" + program,
                    "netsh.exe " + rule + "tcp",
                    "netsh.exe " + rule + "udp"]
        with open(calls) as file:
            self.assertEqual(file.read().splitlines(), expected)
        time.sleep(1.0)
        self.assertEqual(self.driver.ask("boxes"), [])  # all went well: nothing to say

        # Every command fails: the adds are reported with their exit code, the deletes are not.
        os.remove(calls)
        with open(os.path.join(panel.folder, "netsh-exit.txt"), "w") as file:
            file.write("5")
        self.driver.ask("click FirewallButton")
        report = self.message().split("\r")
        self.assertEqual(report, ["The firewall exception could not be added:"] +
                         [line + ": exit code 5" for line in (expected[1], expected[4], expected[5])])


if __name__ == "__main__":
    unittest.main()
