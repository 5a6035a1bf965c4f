"""Headless Chromium through chromedriver for the page's tests and screenshots.
start() exits 77 (skipped) with the reason where no browser can start."""
import sys

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:
    print("SKIP: python3-selenium is not installed")
    sys.exit(77)


def start(*arguments):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--no-first-run", "--disable-background-networking", "--disable-component-update",
                     "--disable-sync") + arguments:
        options.add_argument(argument)
    try:
        return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    except Exception as error:  # no browser here: say so, never pass silently
        print("SKIP: headless Chromium does not start: %s" % str(error).splitlines()[0])
        sys.exit(77)


def screen(driver, width, height, mobile):
    """The viewport itself at a device's size: a window narrower than 500 px is
    widened by Chromium. mobile=False keeps the desktop's scroll bar, which
    takes its width from the page."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})
