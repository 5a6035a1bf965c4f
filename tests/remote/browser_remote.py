#!/usr/bin/python3
"""The remote in a real browser: headless Chromium, driven by chromedriver,
against the running program. Opens the printed address and checks that the
code has left the address bar for a session cookie the page's scripts cannot
read, selects two cells, paints them a user colour, plays and stops the
sequence, and watches both the page and the sACN frames the program sends to
127.0.0.1.

Usage: browser_remote.py URL COOKIE-FILE  (the program runs and sends sACN to
127.0.0.1; the session cookie, NAME=VALUE, is written to COOKIE-FILE)
Exit 77 when no browser can start."""
import re
import socket
import sys
import threading
import time
import urllib.parse

import headless
from selenium.webdriver.common.by import By

url, cookie_file = sys.argv[1], sys.argv[2]
frame_lock = threading.Lock()
last_frame = [None]


def receive():
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 5568))
    while True:
        data = s.recv(1000)
        if len(data) >= 126 and data[4:16] == b"ASC-E1.17\x00\x00\x00":
            with frame_lock:
                last_frame[0] = data[126:126 + 512]


threading.Thread(target=receive, daemon=True).start()


def frame(first, count):
    with frame_lock:
        f = last_frame[0]
    return None if f is None else list(f[first - 1:first - 1 + count])


def wait_for(what, check, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


driver = headless.start("--window-size=390,844")

def click(element):
    # Into the middle of the screen first: the status line stays at its foot.
    driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
    element.click()


try:
    driver.get(url)
    cell = lambda n: driver.find_element(By.ID, "cell-%d" % n)
    wait_for("the wall on the page", lambda: len(driver.find_elements(By.CSS_SELECTOR, ".cell")) >= 2)

    # The code is in no address any more: a session cookie stands for it.
    parts = urllib.parse.urlsplit(url)
    code = urllib.parse.parse_qs(parts.query)["code"][0]
    assert driver.current_url == "http://%s/" % parts.netloc, "the address bar shows " + driver.current_url
    name = "tinctara-%d" % parts.port
    cookies = [c for c in driver.get_cookies() if c["name"] == name]
    assert len(cookies) == 1, "no session cookie: %r" % driver.get_cookies()
    session = cookies[0]
    assert session["httpOnly"] and session["sameSite"] == "Strict" and session["path"] == "/", session
    assert session["value"] != code and len(session["value"]) == 22, session
    assert session["value"] not in driver.execute_script("return document.cookie"), "the page's script reads it"
    history = driver.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
    assert not [entry for entry in history if code in entry], history
    print("address after loading:", driver.current_url, "- cookie", name, "HttpOnly, SameSite=Strict")
    with open(cookie_file, "w") as out:
        out.write("%s=%s" % (name, session["value"]))

    wait_for("the first frame", lambda: frame(1, 8) is not None)
    print("page shows", len(driver.find_elements(By.CSS_SELECTOR, ".cell")), "cells; title:",
          driver.find_element(By.ID, "title").text)

    click(cell(1))
    wait_for("cell 1 selected", lambda: cell(1).get_attribute("data-selected") == "1")
    click(cell(2))
    wait_for("cell 2 selected", lambda: cell(2).get_attribute("data-selected") == "1")
    status = driver.find_element(By.ID, "status")
    wait_for("the selection count", lambda: "2 Elemente" in status.text)
    print("selected: status", repr(status.text))

    # A user colour with light in it, and its levels from the button's title.
    chosen = None
    for button in driver.find_elements(By.CSS_SELECTOR, ".usercolour"):
        m = re.search(r"R (\d+) G (\d+) B (\d+) W (\d+)", button.get_attribute("title"))
        levels = [int(v) for v in m.groups()]
        if any(levels) and levels != frame(1, 4):
            chosen = (button, levels)
            break
    assert chosen, "no user colour to paint with"
    button, levels = chosen
    r, g, b, w = levels
    screen = "".join("%02x" % min(255, v + w) for v in (r, g, b))
    print("painting", button.get_attribute("id"), levels, "screen", screen)
    click(button)
    wait_for("both cells painted on the page",
             lambda: cell(1).get_attribute("data-colour") == screen and cell(2).get_attribute("data-colour") == screen)
    wait_for("the painted levels in the sACN frame", lambda: frame(1, 8) == levels + levels)
    print("frame channels 1-8:", frame(1, 8))

    painted = frame(1, 48)
    click(driver.find_element(By.ID, "btn-play"))
    wait_for("the play status", lambda: status.text == "Sequenz wird abgespielt.")
    wait_for("cells locked while playing", lambda: not cell(1).is_enabled())
    wait_for("the frame to follow the sequence", lambda: frame(1, 48) != painted, timeout=20)
    page_before = cell(1).get_attribute("data-colour")
    wait_for("the page to follow the sequence",
             lambda: any(cell(n).get_attribute("data-colour") != page_before for n in (1, 2)) or
             cell(1).get_attribute("data-colour") != screen, timeout=20)
    print("playing: frame channels 1-8:", frame(1, 8), "cell 1", cell(1).get_attribute("data-colour"))

    click(driver.find_element(By.ID, "btn-stop"))
    wait_for("the stop status", lambda: status.text == "Sequenzer gestoppt.")
    wait_for("cells free again", lambda: cell(1).is_enabled())
    print("stopped at step", driver.find_element(By.ID, "step").text)

    # Arriving by a link on another site: the browser sends no SameSite=Strict
    # cookie on a redirect it follows from there, and the page comes all the same.
    driver.delete_all_cookies()
    link = "<a id='link' href='%s'>Tinctara</a>" % url
    driver.get("data:text/html," + urllib.parse.quote(link))
    click(driver.find_element(By.ID, "link"))
    wait_for("the wall after a link on another site",
             lambda: len(driver.find_elements(By.CSS_SELECTOR, ".cell")) >= 2)
    assert driver.current_url == "http://%s/" % parts.netloc, "the address bar shows " + driver.current_url
    print("from another site's link:", driver.current_url)
    print("PASS")
finally:
    driver.quit()
