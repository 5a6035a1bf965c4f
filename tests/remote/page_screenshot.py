#!/usr/bin/python3
"""Screenshots of the remote page in headless Chromium, at phone and tablet
size, after selecting two cells and painting them a user colour.
Usage: page_screenshot.py URL OUT-PREFIX"""
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

url, prefix = sys.argv[1], sys.argv[2]
for name, (width, height) in (("phone", (390, 844)), ("tablet", (1024, 768))):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                     "--window-size=%d,%d" % (width, height), "--force-device-scale-factor=1"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        # The viewport itself at the device's size, as a phone or tablet shows it.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": name == "phone"})
        driver.get(url)
        end = time.time() + 10
        while time.time() < end and not driver.find_elements(By.ID, "cell-2"):
            time.sleep(0.1)
        if name == "phone":
            driver.find_element(By.ID, "btn-none").click()  # near the top: nothing covers it
            time.sleep(0.3)
            for n in (2, 3):
                driver.find_element(By.ID, "cell-%d" % n).click()
                time.sleep(0.3)
            driver.find_element(By.ID, "user-4").click()
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
