#!/usr/bin/python3
"""Lets the office suite meet a workbook's lock, headless.

office_lock_probe.py check BOOK PROFILE  prints "in use" when the suite will
    not open BOOK for editing, else "free".
office_lock_probe.py crash BOOK PROFILE  opens BOOK for editing and ends the
    suite by SIGKILL, so that its lock file stays as after a crash.
"""
import os
import signal
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue

mode, book, profile = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
pipe = "kolumbra_lock_probe_%d" % os.getpid()
office = subprocess.Popen(["soffice", "--headless", "--norestore", "--nologo",
                           "-env:UserInstallation=file://" + profile, "--accept=pipe,name=%s;urp;" % pipe],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(120):
        try:
            context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            break
        except Exception:
            time.sleep(0.5)
    desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    hidden = PropertyValue()
    hidden.Name, hidden.Value = "Hidden", True
    # Without a way to ask the user, the suite refuses a document in use.
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(book), "_blank", 0, (hidden,))
    if mode == "check":
        print("in use" if document is None or document.isReadonly() else "free")
        if document is not None:
            document.close(True)
    elif document is None:
        print("not opened")
finally:
    if mode == "crash":
        office.send_signal(signal.SIGKILL)
    else:
        try:
            desktop.terminate()
        except Exception:
            office.kill()
    office.wait(timeout=60)
