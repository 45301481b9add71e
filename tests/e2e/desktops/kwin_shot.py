#!/usr/bin/python3
# Saves a PNG of KWin's whole workspace at its pixel size, through
# org.kde.KWin.ScreenShot2 (allowed to any client with
# KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1).
#   kwin_shot.py OUT.png
import os, subprocess, sys
import dbus

shots = dbus.Interface(dbus.SessionBus().get_object('org.kde.KWin.ScreenShot2', '/org/kde/KWin/ScreenShot2'),
                       'org.kde.KWin.ScreenShot2')
r, w = os.pipe()
meta = shots.CaptureWorkspace({'include-cursor': False, 'native-resolution': True}, dbus.types.UnixFd(w))
os.close(w)
with os.fdopen(r, 'rb') as f:
    data = f.read()
width, height, stride = int(meta['width']), int(meta['height']), int(meta['stride'])
rows = b''.join(data[y * stride:y * stride + width * 4] for y in range(height))
subprocess.run(['convert', '-size', f'{width}x{height}', '-depth', '8', 'bgra:-', '-alpha', 'off', sys.argv[1]],
               input=rows, check=True)
