#!/usr/bin/env python3
"""Tests that click through the real installer (QuilloraSetup.exe, x86_64) under Xvfb.

Run by CTest inside tools/download_servers/run_with_servers.py (the local nginx and fault
servers; the demo package is served as /software/demo.exe). Clicks go with xdotool to
control centres that layout_probe.exe computes from the skin's own layout; the pages and
prompt answers are read from the installer's diagnostic lines (OutputDebugString, which
Wine prints with warn+seh). A compositor (xcompmgr -n) blends the layered shadows as a
user sees them. Screenshots of every page and prompt go to <build>/screenshots/.

Everything the runs leave behind is removed: the product's registry key (an earlier one
is restored), the installation folders and their shortcuts, started processes.

  ui_e2e.py --build BUILD_DIR [--only NAME ...]
"""

import argparse
import codecs
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
PRODUCT_KEY = r"HKCU\Software\VelToSoft\Quillora"
FAILURES = []
RUNNING_TEXT = "安装程序检测到青蓝工坊\r\n正在运行，请退出程序后再安装"


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        FAILURES.append(what)
    return condition


class Env:
    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.prefix = os.path.join(self.build, "wineprefix")
        self.shots = os.path.join(self.build, "screenshots")
        os.makedirs(self.shots, exist_ok=True)
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all,warn+seh",
            "WINEDLLOVERRIDES": "mscoree=;mshtml=;winemenubuilder.exe=d",
            "WINEARCH": "win64",
        })
        self.layouts = {}

    def wine(self, *args, timeout=120):
        return subprocess.run([WINE, *args], env=self.env, capture_output=True, timeout=timeout)

    def host_path(self, windows_path):
        drive, rest = windows_path[0].lower(), windows_path[2:].replace("\\", "/").lstrip("/")
        if drive == "z":
            return "/" + rest
        return os.path.join(self.prefix, "drive_" + drive, rest)

    def layout(self, description, *visibility):
        key = (description,) + visibility
        if key not in self.layouts:
            out = self.wine(os.path.join(self.build, "tools", "layout_probe", "layout_probe.exe"), description,
                            *visibility).stdout.decode()
            rects = {}
            for line in out.splitlines():
                parts = line.split()
                if len(parts) == 5:
                    rects[parts[0]] = tuple(int(p) for p in parts[1:])
            self.layouts[key] = rects
        return self.layouts[key]

    def reg_value(self, name):
        r = self.wine("reg", "query", PRODUCT_KEY, "/v", name)
        if r.returncode != 0:
            return None
        for line in r.stdout.decode(errors="replace").splitlines():
            if name in line and "REG_SZ" in line:
                return line.split("REG_SZ", 1)[1].strip()
        return None


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def find_window(title, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        ids = xdo("search", "--onlyvisible", "--name", "^" + title + "$").split()
        if ids:
            return ids[-1]
        time.sleep(0.3)
    return None


def window_gone(wid, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if subprocess.run(["xdotool", "getwindowname", wid], capture_output=True).returncode != 0:
            return True
        if not xdo("search", "--onlyvisible", "--name", ".*").count(wid):
            return True
        time.sleep(0.3)
    return False


def geometry(wid):
    out = xdo("getwindowgeometry", "--shell", wid)
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return int(values.get("X", 0)), int(values.get("Y", 0)), int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0))


def click(wid, rects, name):
    rect = rects.get(name)
    if not check(rect is not None and rect[2] > rect[0], "layout has " + name):
        return
    x, y = (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2
    xdo("mousemove", "--window", wid, str(x), str(y))
    time.sleep(0.3)
    xdo("click", "1")
    time.sleep(0.3)


def screenshot(env, wid, name):
    x, y, w, h = geometry(wid)
    margin = 24
    path = os.path.join(env.shots, name + ".png")
    subprocess.run(["import", "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (w + 2 * margin, h + 2 * margin, max(x - margin, 0), max(y - margin, 0)),
                    "+repage", path], capture_output=True)
    check(os.path.isfile(path), "screenshot " + name)


class Installer:
    """One run of QuilloraSetup.exe; its diagnostic lines are collected from Wine's stderr."""

    def __init__(self, env, args, extra_env=None):
        self.env = env
        self.log = tempfile.NamedTemporaryFile(prefix="quillora-ui-", suffix=".log", delete=False)
        run_env = dict(env.env)
        # A Chinese Windows, as the installer's users have: its debug lines then carry the
        # prompts' texts in code page 936 (Wine drops characters the code page lacks). The
        # setup generates the glibc locale, which X titles and file names need.
        run_env.update({"LC_ALL": "zh_CN.UTF-8", "LANG": "zh_CN.UTF-8"})
        run_env.update(extra_env or {})
        self.proc = subprocess.Popen([WINE, os.path.join(env.build, "QuilloraSetup.exe"),
                                      "-isenableappanalytics=false", *args],
                                     env=run_env, stdout=subprocess.DEVNULL, stderr=self.log)

    def text(self):
        with open(self.log.name, "rb") as f:
            return f.read().decode("latin-1")

    def lines(self, pattern):
        # Wine may print one debug string more than once; the time stamp tells them apart.
        seen, found = set(), []
        for match in re.finditer(r"<P\d+><T\d+><[^>]*>\([^)]*\)<\d+>: " + pattern, self.text()):
            if match.group(0) not in seen:
                seen.add(match.group(0))
                found.append(match.groups())
        return found

    def pages(self):
        return [int(p[0]) for p in self.lines(r"page (-?\d)")]

    def answers(self):
        return self.lines(r"(\w+\.xml) answered (\d)")

    def shown(self):
        """(description, caption, text) of every message window, as the user reads them.
        Wine cuts a debug line at about 300 characters, which a long text (four characters
        for each byte of code page 936) can pass: such a text ends with "…"."""
        def decode(escaped):
            return codecs.escape_decode(escaped.encode("latin-1"))[0].decode("gbk", "ignore")

        def text(escaped):
            if escaped.endswith('\\"\\r\\n"'):
                return decode(escaped[:-7])
            # Cut off: drop Wine's '"...', any escape cut in half and the start of the end quote.
            escaped = re.sub(r'\\(x[0-9a-fA-F]?)?$', "", escaped[:-4] if escaped.endswith('"...') else escaped)
            return decode(re.sub(r'(\\"(\\r(\\n?)?)?|\\"?)$', "", escaped)) + "…"
        return [(name, decode(caption), text(body)) for name, caption, body in
                self.lines(r'(\w+\.xml) captioned \\"(.*?)\\" shows \\"(.*)')]

    def was_shown(self, name, caption, text):
        """True when message window |name| showed |caption| and |text|, or a cut-off start
        of it of more than ten characters."""
        for shown_name, shown_caption, shown_text in self.shown():
            if (shown_name, shown_caption) != (name, caption):
                continue
            if shown_text == text or (shown_text.endswith("…") and len(shown_text) > 10 and
                                      text.startswith(shown_text[:-1])):
                return True
        return False

    def network_checks(self):
        return [int(s[0], 16) for s in self.lines(r"network check 0x([0-9A-F]{8})")]

    def wait_for(self, predicate, timeout=90):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if predicate():
                return True
            if self.proc.poll() is not None:
                return predicate()
            time.sleep(0.3)
        return False

    def wait_page(self, page, timeout=90):
        return self.wait_for(lambda: self.pages() and self.pages()[-1] == page, timeout)

    def exited(self, timeout=30):
        try:
            self.proc.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.log.close()
        os.unlink(self.log.name)


def prompt(env, name, timeout=60):
    wid = find_window("消息框", timeout)
    check(wid is not None, "prompt " + name + " shown")
    if wid:
        # The prompt appears where the system puts a new window and is then centred on the
        # installer: wait until it stays put, or a click could land where it was.
        deadline = time.time() + 5
        last = geometry(wid)
        while time.time() < deadline:
            time.sleep(0.3)
            now = geometry(wid)
            if now == last:
                break
            last = now
    return wid


def main_window(env, timeout=60):
    # The demo product's window carries the same title: the installer's is 600 x 400.
    deadline = time.time() + timeout
    while time.time() < deadline:
        for wid in xdo("search", "--onlyvisible", "--name", "^青蓝工坊$").split():
            if geometry(wid)[2:] == (600, 400):
                return wid
        time.sleep(0.3)
    check(False, "main window shown")
    return None


def remove_installation(env, folder_windows):
    folder = env.host_path(folder_windows)
    record = os.path.join(folder, "uninst.lst")
    if os.path.isfile(record):
        data = open(record, "rb").read()
        text = data.decode("utf-16") if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data.decode("utf-8", "replace")
        for line in text.splitlines():
            line = line.strip().lstrip("\ufeff")
            if len(line) > 2 and line[1] == ":":
                path = env.host_path(line)
                if os.path.isfile(path):
                    os.unlink(path)
    shutil.rmtree(folder, ignore_errors=True)


def product_pids():
    out = subprocess.run(["pgrep", "-f", r"\\Quillora\.exe"], capture_output=True, text=True).stdout
    return [int(p) for p in out.split()]


def stop_products(before):
    for pid in product_pids():
        if pid not in before:
            try:
                os.kill(pid, 9)
            except OSError:
                pass


def new_products(before, timeout=20):
    """Product processes started since |before| was taken, waiting up to |timeout| seconds
    for the first."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        started = [p for p in product_pids() if p not in before]
        if started:
            return started
        time.sleep(0.5)
    return []


def has_installed_copy(env, scenario):
    """The scenarios after one_click_install need the copy it installed."""
    return check(bool(getattr(env, "installed", None)), "installed copy available for the %s test" % scenario)


def type_custom_folder(run, wid, rects, folder):
    """On the custom page, replaces the folder in the edit box with |folder|."""
    click(wid, rects, "customeBtn")
    run.wait_page(1, 10)
    click(wid, rects, "installDirEdit")
    time.sleep(0.5)
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "20", folder)
    xdo("key", "Return")
    time.sleep(0.5)


def close_installer(env, run, wid, rects, when):
    """Closes the installer from page 0 or 1: its close button, then 是 in the exit prompt."""
    xdo("windowactivate", wid)
    click(wid, rects, "closebtn")
    box = prompt(env, "ExitTipWnd " + when)
    if box:
        click(box, env.layout("exitTipWnd.xml"), "okBtn")
    check(run.exited(20), "installer closed " + when)


# ---- scenarios -------------------------------------------------------------------------

def one_click_install(env):
    """One click installs to the finish page, records the installation; 立即体验 starts the product."""
    before = product_pids()
    run = Installer(env, ["-downloadurl=" + os.environ["QUILLORA_TEST_NGINX"] + "/software/demo.exe",
                          "-ischecknet=true"],
                    {"QUILLORA_DEMO_DURATION_MS": "6000", "QUILLORA_DEMO_STARTUP": "UserStartup"})
    try:
        wid = main_window(env)
        if not wid:
            return
        time.sleep(1.5)
        screenshot(env, wid, "page0-one-click")
        rects = env.layout("MainWnd.xml")
        click(wid, rects, "defaultInstallBtn")
        check(run.wait_page(2, 30), "progress page after the one-click install")
        time.sleep(2.5)
        screenshot(env, wid, "page2-progress")
        check(run.wait_page(3, 120), "finish page after the installation")
        checks = run.network_checks()
        check(len(checks) == 1 and checks[0] >> 16 == 0, "one network check, which passed: %s" % checks)
        time.sleep(1.5)
        screenshot(env, wid, "page3-finished")
        folder = env.reg_value("InstallPath")
        check(folder is not None and folder.endswith("Quillora"), "InstallPath recorded: %s" % folder)
        entry = env.reg_value("UnInstallEp")
        check(entry is not None and entry.endswith("uninst.ep"), "UnInstallEp recorded: %s" % entry)
        env.installed = folder
        early = [p for p in product_pids() if p not in before]
        check(not early, "the product waits for 立即体验 %s" % [open("/proc/%d/cmdline" % p, "rb").read() for p in early])
        click(wid, rects, "openProduceBtn")
        check(run.exited(20), "立即体验 closes the installer")
        check(bool(new_products(before)), "立即体验 starts the product the package named")
    finally:
        run.stop()
        stop_products(before)


def update_installed_copy(env):
    """安装最新版本 removes the old copy first, installs over it, and the finish page closes at once."""
    if not has_installed_copy(env, "update"):
        return
    before = product_pids()
    run = Installer(env, ["-downloadurl=" + os.environ["QUILLORA_TEST_NGINX"] + "/software/demo.exe"],
                    {"QUILLORA_DEMO_DURATION_MS": "1500", "QUILLORA_DEMO_STARTUP": "AutoStartup"})
    try:
        box = prompt(env, "InstalledPathTipWnd")
        if not box:
            return
        click(box, env.layout("InstalledPathTipWnd.xml"), "okBtn")
        check(run.wait_page(3, 150), "finish page after the update")
        log = run.text()
        removed, download = log.find("UNIST_CODE_SUCCESS"), log.find("DL_CODE_START")
        check(0 <= removed < download, "the old copy's uninstaller ran before the download")
        check(bool(new_products(before)), "the product started at once as the package asked")
        wid = main_window(env)
        if wid:
            # The started product may cover the installer until its front timer fires.
            time.sleep(3.5)
            xdo("windowactivate", "--sync", wid)
            time.sleep(0.5)
            screenshot(env, wid, "page3-after-update")
            click(wid, env.layout("MainWnd.xml"), "closebtn")
        check(run.exited(20), "close button on the finish page closes at once")
        check(not [a for a in run.answers() if a[0].lower() == "exittipwnd.xml"], "no exit prompt on the finish page")
    finally:
        run.stop()
        stop_products(before)


def installed_copy_prompt(env):
    """An installed copy offers the prompt; "打开软件" starts it and closes the installer."""
    if not has_installed_copy(env, "prompt"):
        return
    before = product_pids()
    run = Installer(env, ["-downloadurl=" + os.environ["QUILLORA_TEST_NGINX"] + "/software/demo.exe"])
    try:
        wid = prompt(env, "InstalledPathTipWnd")
        if not wid:
            return
        time.sleep(1.0)
        screenshot(env, wid, "prompt-installed-copy")
        click(wid, env.layout("InstalledPathTipWnd.xml"), "cancelBtn")
        check(run.exited(30), "installer closes after 打开软件")
        check(("InstalledPathTipWnd.xml", "1") in run.answers(), "prompt answered with cancelBtn (1)")
        check(bool(new_products(before)), "打开软件 starts the installed product")
    finally:
        run.stop()
        stop_products(before)


def running_product(env):
    """A running product at start (with an installed copy) shows the running message and closes."""
    if not has_installed_copy(env, "running-product"):
        return
    exe = env.installed + "\\Quillora.exe"
    product = subprocess.Popen([WINE, exe], env=env.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(3)
        run = Installer(env, [])
        try:
            wid = prompt(env, "MessageBox1Wnd running")
            if not wid:
                return
            time.sleep(1.0)
            screenshot(env, wid, "prompt-product-running")
            click(wid, env.layout("MessageBox1Wnd.xml"), "closebtn")
            check(run.exited(30), "installer closes after the running message")
            check(("MessageBox1Wnd.xml", "2") in run.answers(), "running message shown and closed")
            check(run.was_shown("MessageBox1Wnd.xml", "温馨提示", RUNNING_TEXT),
                  "running message worded as specified: %s" % run.shown())
        finally:
            run.stop()
    finally:
        product.kill()
        product.wait()


def exit_prompt(env):
    """The close button asks first on pages 0 and 1; Escape does nothing."""
    run = Installer(env, [])
    try:
        wid = main_window(env)
        if not wid:
            return
        time.sleep(1.0)
        rects = env.layout("MainWnd.xml")
        click(wid, rects, "customeBtn")
        check(run.wait_page(1, 10), "custom page after 自定义安装")
        time.sleep(1.0)
        screenshot(env, wid, "page1-custom")
        xdo("windowactivate", "--sync", wid)
        xdo("key", "Escape")
        time.sleep(1.0)
        check(run.proc.poll() is None, "Escape leaves the main window open")
        click(wid, rects, "closebtn")
        box = prompt(env, "ExitTipWnd")
        if box:
            time.sleep(1.0)
            screenshot(env, box, "prompt-exit")
            xdo("key", "Escape")
            time.sleep(0.8)
            check(find_window("消息框", 2) is not None, "Escape leaves the exit prompt open")
            click(box, env.layout("exitTipWnd.xml"), "cancelBtn")
            time.sleep(1.0)
            check(run.proc.poll() is None, "answering 否 keeps the installer")
        click(wid, rects, "backBtn")
        check(run.wait_page(0, 10), "back to page 0")
        click(wid, rects, "closebtn")
        box = prompt(env, "ExitTipWnd again")
        if box:
            click(box, env.layout("exitTipWnd.xml"), "okBtn")
        check(run.exited(20), "answering 是 closes the installer")
        check([a[1] for a in run.answers()] == ["1", "0"], "exit prompt answers 否=1 then 是=0: %s" % run.answers())
    finally:
        run.stop()


def download_failure(env):
    """A failed download shows the network prompt; 稍后再试 returns to the page it started from."""
    url = os.environ["QUILLORA_TEST_FAULT"] + "/t/uie2e%d/file=demo.exe,get=404/d41d8cd98f00b204e9800998ecf8427e/demo.exe" % os.getpid()
    scratch = tempfile.mkdtemp(prefix="quillora-ui-dir-")
    target = "Z:" + scratch.replace("/", "\\")
    run = Installer(env, ["-downloadurl=" + url])
    try:
        wid = main_window(env)
        if not wid:
            return
        time.sleep(1.0)
        rects = env.layout("MainWnd.xml")
        type_custom_folder(run, wid, rects, target)
        check(run.pages()[-1:] == [1], "custom page")
        click(wid, rects, "customeInstallBtn")
        check(run.wait_page(2, 30), "progress page after the custom install")
        box = prompt(env, "NetworkTipWnd", 120)
        if box:
            time.sleep(1.0)
            screenshot(env, box, "prompt-network")
            click(box, env.layout("NetworkTipWnd.xml"), "cancelBtn")
            check(run.wait_page(1, 20), "稍后再试 returns to the custom page")
        check(os.path.isdir(os.path.join(scratch, "Quillora")), "the chosen folder gets Quillora appended")
        check(run.proc.poll() is None, "the installer stays open without an installed copy")
        close_installer(env, run, wid, rects, "after the download failure")
    finally:
        run.stop()
        shutil.rmtree(scratch, ignore_errors=True)


def install_failure(env):
    """A failed installation shows the package's error text and returns to page 0."""
    scratch = tempfile.mkdtemp(prefix="quillora-ui-dir-")
    run = Installer(env, ["-downloadurl=" + os.environ["QUILLORA_TEST_NGINX"] + "/software/demo.exe",
                          "-ischecknet=false"],
                    {"QUILLORA_DEMO_SETUP_RESULT": "error", "QUILLORA_DEMO_SETUP_ERROR": "磁盘写入失败",
                     "QUILLORA_DEMO_DURATION_MS": "1500"})
    try:
        wid = main_window(env)
        if not wid:
            return
        time.sleep(1.0)
        rects = env.layout("MainWnd.xml")
        type_custom_folder(run, wid, rects, "Z:" + scratch.replace("/", "\\"))
        # 自定义安装 gave the install button the keyboard focus: Return starts the install.
        xdo("key", "Return")
        check(run.wait_page(2, 30), "progress page after Return on the custom page")
        check(run.network_checks() == [], "no network check with -ischecknet=false")
        # WM_CLOSE on the progress page is ignored.
        xdo("windowactivate", "--sync", wid)
        xdo("key", "alt+F4")
        time.sleep(1.5)
        check(run.proc.poll() is None, "closing is ignored on the progress page")
        box = prompt(env, "MessageBox2Wnd install failure", 120)
        if box:
            time.sleep(1.0)
            screenshot(env, box, "prompt-install-failed")
            click(box, env.layout("MessageBox2Wnd.xml"), "closebtn")
        check(run.wait_page(0, 20), "back to page 0 after the failure")
        check(("MessageBox2Wnd.xml", "2") in run.answers(), "failure message shown")
        check(run.was_shown("MessageBox2Wnd.xml", "温馨提示", "磁盘写入失败"),
              "the package's error text shown: %s" % run.shown())
        close_installer(env, run, wid, rects, "after install failure")
    finally:
        run.stop()
        remove_installation(env, "Z:" + os.path.join(scratch, "Quillora").replace("/", "\\"))
        shutil.rmtree(scratch, ignore_errors=True)


def invalid_folder(env):
    """A folder that cannot be created is refused with 无效路径 and the custom page stays."""
    run = Installer(env, ["-downloadurl=" + os.environ["QUILLORA_TEST_NGINX"] + "/software/demo.exe"])
    try:
        wid = main_window(env)
        if not wid:
            return
        time.sleep(1.0)
        rects = env.layout("MainWnd.xml")
        type_custom_folder(run, wid, rects, "Q:\\no such drive")
        click(wid, rects, "customeInstallBtn")
        box = prompt(env, "MessageBox2Wnd invalid path")
        if box:
            time.sleep(1.0)
            screenshot(env, box, "prompt-invalid-path")
            click(box, env.layout("MessageBox2Wnd.xml"), "closebtn")
        check(run.was_shown("MessageBox2Wnd.xml", "温馨提示", "无效路径"), "无效路径 shown: %s" % run.shown())
        time.sleep(1.0)
        check(run.pages()[-1:] == [1], "the custom page stays: %s" % run.pages())
        check(run.network_checks() == [], "no network check for a refused folder")
        close_installer(env, run, wid, rects, "after the invalid folder")
    finally:
        run.stop()


def headless_session(env):
    """QuilloraEngine.exe --session records and hands over exactly as the window does."""
    scratch = tempfile.mkdtemp(prefix="quillora-ui-engine-")
    target = "Z:" + scratch.replace("/", "\\")
    env.wine("reg", "delete", PRODUCT_KEY, "/f")
    try:
        r = env.wine(os.path.join(env.build, "QuilloraEngine.exe"), "--session",
                     "--url=" + os.environ["QUILLORA_TEST_NGINX"] + "/software/demo.exe", "--dir=" + target,
                     timeout=300)
        lines = r.stdout.decode("utf-8", "replace").splitlines()
        check(r.returncode == 0 and lines and lines[-1].startswith("2003\t"), "headless run succeeded")
        check(env.reg_value("InstallPath") == target, "headless run recorded %s" % env.reg_value("InstallPath"))
        settings = os.path.join(scratch, "set.ini")
        data = open(settings, "rb").read() if os.path.isfile(settings) else b""
        text = data.decode("utf-16", "replace") if data[:2] == b"\xff\xfe" else data.decode("latin-1")
        check("DeviceID" in text and "APPStore" in text, "headless run handed the analytics identity over")
    finally:
        env.wine("reg", "delete", PRODUCT_KEY, "/f")
        remove_installation(env, target)
        shutil.rmtree(scratch, ignore_errors=True)


SCENARIOS = [exit_prompt, download_failure, install_failure, invalid_folder, one_click_install,
             installed_copy_prompt, running_product, update_installed_copy, headless_session]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--only", action="append")
    args = parser.parse_args()
    env = Env(args.build)
    env.installed = None

    saved = tempfile.NamedTemporaryFile(prefix="quillora-key-", suffix=".reg", delete=False)
    saved.close()
    had_key = env.wine("reg", "export", PRODUCT_KEY, "Z:" + saved.name.replace("/", "\\"), "/y").returncode == 0
    env.wine("reg", "delete", PRODUCT_KEY, "/f")
    compositor = subprocess.Popen(["xcompmgr", "-n"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for scenario in SCENARIOS:
            if args.only and scenario.__name__ not in args.only:
                continue
            print("== " + scenario.__name__ + ": " + scenario.__doc__, flush=True)
            try:
                scenario(env)
            except Exception as error:  # a broken scenario must not stop the clean-up
                check(False, "%s raised %r" % (scenario.__name__, error))
    finally:
        compositor.kill()
        compositor.wait()
        if env.installed:
            remove_installation(env, env.installed)
        env.wine("reg", "delete", PRODUCT_KEY, "/f")
        if had_key:
            env.wine("reg", "import", "Z:" + saved.name.replace("/", "\\"))
        os.unlink(saved.name)
    print("%d failure(s)" % len(FAILURES))
    for failure in FAILURES:
        print("  " + failure)
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
