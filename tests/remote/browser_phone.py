#!/usr/bin/python3
"""The remote's page on a phone of 390 x 844 CSS pixels, once with the
desktop's scroll bar taking room from the page and once as a phone shows it:
nothing on the page may make it scroll sideways, and every cell of the wall
lies within the screen, square and big enough to tap. First the walls of the
running programs (one wall size each), then every size from 1 x 1 to 11 x 11
on the same page, handed to the page as the program would send them.

Usage: browser_phone.py COLUMNSxROWS=URL ...
Exit 77 when no browser can start."""
import sys
import time

import headless
from selenium.webdriver.common.by import By

walls = [(tuple(int(v) for v in size.split("x")), url) for size, url in (a.split("=", 1) for a in sys.argv[1:])]

# Keeps the page's socket within reach, so that the test can hand the page
# further walls through the page's own message handler.
KEEP_SOCKET = """
const PageSocket = window.WebSocket;
window.WebSocket = class extends PageSocket {
  constructor(...args) { super(...args); window.keptSocket = this; }
};"""

MEASURE = """
window.measureWall = () => {
  const page = document.documentElement;
  const cells = [...document.querySelectorAll('.cell')].map((c) => c.getBoundingClientRect());
  return {scrollWidth: page.scrollWidth, clientWidth: page.clientWidth, cells: cells.length,
          left: Math.min(...cells.map((r) => r.left)), right: Math.max(...cells.map((r) => r.right)),
          smallest: Math.min(...cells.map((r) => Math.min(r.width, r.height))),
          squareness: Math.min(...cells.map((r) => Math.min(r.width, r.height) / Math.max(r.width, r.height)))};
};"""

SWEEP = MEASURE + """
const found = [];
for (let columns = 1; columns <= 11; columns++)
  for (let rows = 1; rows <= 11; rows++) {
    keptSocket.onmessage({data: JSON.stringify({t: 'state', wall: [columns, rows, columns * rows]})});
    found.push([columns, rows, measureWall()]);
  }
return found;"""

SMALLEST_CELL = 28  # CSS px: 11 columns on a 390 px phone with a scroll bar leave about 30


def faults(columns, rows, m):
    said = []
    if m["cells"] != columns * rows:
        said.append("%d cells on the page" % m["cells"])
    if m["scrollWidth"] > m["clientWidth"]:
        said.append("the page scrolls sideways (%d px in %d)" % (m["scrollWidth"], m["clientWidth"]))
    if m["left"] < 0 or m["right"] > m["clientWidth"]:
        said.append("cells from %.1f to %.1f px, the screen shows 0 to %d" % (m["left"], m["right"], m["clientWidth"]))
    if m["smallest"] < SMALLEST_CELL:
        said.append("a cell of %.1f px" % m["smallest"])
    if m["squareness"] < 0.9:
        said.append("a cell far from square (%.2f)" % m["squareness"])
    return said


driver = headless.start()
failed = []
try:
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": KEEP_SOCKET})
    for mobile, how in ((False, "with a scroll bar"), (True, "as a phone")):
        headless.screen(driver, 390, 844, mobile)
        for (columns, rows), url in walls:
            driver.get(url)
            end = time.time() + 15
            while time.time() < end and (len(driver.find_elements(By.CSS_SELECTOR, ".cell")) != columns * rows or
                                         not driver.find_elements(By.CSS_SELECTOR, ".usercolour")):
                time.sleep(0.1)
            m = driver.execute_script(MEASURE + "return measureWall();")
            said = faults(columns, rows, m)
            if not mobile and m["clientWidth"] >= 390:
                said.append("no scroll bar took room (page %d px wide): the narrow case went untested" % m["clientWidth"])
            print("%d x %d %s: page %d of %d px, cells %.1f px, right edge %.1f%s" %
                  (columns, rows, how, m["scrollWidth"], m["clientWidth"], m["smallest"], m["right"],
                   "" if not said else ": " + "; ".join(said)))
            failed += ["%d x %d %s: %s" % (columns, rows, how, s) for s in said]
        sweep = driver.execute_script(SWEEP)
        for columns, rows, m in sweep:
            failed += ["%d x %d %s (handed over): %s" % (columns, rows, how, s) for s in faults(columns, rows, m)]
        print("every wall from 1 x 1 to 11 x 11 %s: smallest cell %.1f px, widest page %d px" %
              (how, min(m["smallest"] for _, _, m in sweep), max(m["scrollWidth"] for _, _, m in sweep)))
finally:
    driver.quit()

for line in failed:
    print("FAIL:", line)
print("FAIL" if failed else "PASS")
sys.exit(1 if failed else 0)
