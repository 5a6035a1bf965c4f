#!/usr/bin/python3
"""Screenshots of the remote page in headless Chromium, at phone and tablet
size, after painting the wall red and cells 2 and 3 white (selected).
Usage: page_screenshot.py URL OUT-PREFIX [phone] [tablet]  (both without a choice)
Writes OUT-PREFIX-phone.png, and -phone-scrolled.png for the rest of the page;
OUT-PREFIX-tablet.png."""
import sys
import time

import headless
from selenium.webdriver.common.by import By

url, prefix = sys.argv[1], sys.argv[2]
chosen = sys.argv[3:] or ["phone", "tablet"]
for name, (width, height) in (("phone", (390, 844)), ("tablet", (1024, 768))):
    if name not in chosen:
        continue
    driver = headless.start("--hide-scrollbars", "--window-size=%d,%d" % (width, height),
                            "--force-device-scale-factor=1")
    try:
        headless.screen(driver, width, height, name == "phone")
        driver.get(url)
        end = time.time() + 10
        while time.time() < end and not driver.find_elements(By.ID, "user-4"):
            time.sleep(0.1)

        def press(element_id):
            # Into the middle of the screen first: the status line stays at its foot.
            element = driver.find_element(By.ID, element_id)
            driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
            element.click()
            time.sleep(0.3)

        for element_id in ("btn-all", "user-1", "btn-none", "cell-2", "cell-3", "user-4"):
            press(element_id)
        driver.execute_script("window.scrollTo(0, 0)")
        time.sleep(1)
        driver.save_screenshot("%s-%s.png" % (prefix, name))
        print("saved %s-%s.png" % (prefix, name))
        # And the rest of the page, as a phone user scrolls down to it.
        if driver.execute_script("return document.documentElement.scrollHeight") > height:
            driver.execute_script("window.scrollTo(0, document.documentElement.scrollHeight)")
            time.sleep(0.5)
            driver.save_screenshot("%s-%s-scrolled.png" % (prefix, name))
            print("saved %s-%s-scrolled.png" % (prefix, name))
    finally:
        driver.quit()
