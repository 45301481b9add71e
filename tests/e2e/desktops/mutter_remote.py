#!/usr/bin/python3
# Drives a headless mutter like a remote desktop client: one RemoteDesktop
# session with a ScreenCast of the monitor linked to it, serving commands
# read line by line from a FIFO:
#   key CODE[+CODE...]   presses evdev key codes in order, releases them in reverse
#   shot PATH            saves a PNG of the monitor (PipeWire stream read by gst-launch)
# and appending "done LINE" or "error LINE: WHY" to a log for each.
#   mutter_remote.py FIFO LOG
import ctypes, os, signal, subprocess, sys, threading, time
from gi.repository import Gio, GLib

fifo, log = sys.argv[1], open(sys.argv[2], 'a', buffering=1)
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def call(name, path, iface, method, args=None):
    return bus.call_sync(name, path, iface, method, args, None, Gio.DBusCallFlags.NONE, -1, None).unpack()


RD, SC = 'org.gnome.Mutter.RemoteDesktop', 'org.gnome.Mutter.ScreenCast'
rd = call(RD, '/org/gnome/Mutter/RemoteDesktop', RD, 'CreateSession')[0]
sid = call(RD, rd, 'org.freedesktop.DBus.Properties', 'Get',
           GLib.Variant('(ss)', (RD + '.Session', 'SessionId')))[0]
sc = call(SC, '/org/gnome/Mutter/ScreenCast', SC, 'CreateSession',
          GLib.Variant('(a{sv})', ({'remote-desktop-session-id': GLib.Variant('s', sid)},)))[0]
stream = call(SC, sc, SC + '.Session', 'RecordMonitor',
              GLib.Variant('(sa{sv})', ('', {'cursor-mode': GLib.Variant('u', 1)})))[0]
node = {}
bus.signal_subscribe(None, SC + '.Stream', 'PipeWireStreamAdded', stream, None, Gio.DBusSignalFlags.NONE,
                     lambda *a: node.update(id=a[5].unpack()[0]))
call(RD, rd, RD + '.Session', 'Start')


def key(code, down):
    call(RD, rd, RD + '.Session', 'NotifyKeyboardKeycode', GLib.Variant('(ub)', (code, down)))


frames = os.path.join(os.path.dirname(os.path.abspath(sys.argv[2])), 'cast')
os.makedirs(frames, exist_ok=True)
for old in os.listdir(frames):  # an earlier session's frames would pass for new ones
    os.remove(os.path.join(frames, old))
recorder = []


def pointer(dx, dy):
    call(RD, rd, RD + '.Session', 'NotifyPointerMotionRelative', GLib.Variant('(dd)', (dx, dy)))


nudge = [0]


def shot(out):
    # The stream sends a frame only when the screen changes: a recorder keeps
    # the last few, at most five a second, and the newest whole one is the
    # screen as it is (after a moment for a change on the way). mutter skips
    # a change that comes too soon after its last frame and sends nothing
    # more while the screen stands still (an inactive game): the pointer,
    # drawn into the stream at the output's top-right pixel (a title bar, or
    # the edge of a full-screen picture that no check looks at), moves a
    # pixel before each shot, so a frame of the screen as it is comes.
    if nudge[0] == 0:
        pointer(10000.0, -10000.0)
        nudge[0] = -1
    pointer(float(nudge[0]), 0.0)
    nudge[0] = -nudge[0]
    if recorder and recorder[0].poll() is not None:
        recorder.clear()  # a recorder that stopped would leave its old frames
    if not recorder:
        recorder.append(subprocess.Popen(
            ['gst-launch-1.0', '-q', 'pipewiresrc', f'path={node["id"]}', '!', 'video/x-raw,max-framerate=5/1',
             '!', 'videoconvert', '!', 'pngenc', '!', 'multifilesink',
             f'location={frames}/%06d.png', 'max-files=4'], stdout=subprocess.DEVNULL, stderr=open(frames + '.log', 'w'),
            # It ends with this server, which ends with mutter's bus.
            preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM)))
    time.sleep(0.8)
    for _ in range(50):
        for name in sorted(os.listdir(frames), reverse=True)[:3]:
            path = os.path.join(frames, name)
            if subprocess.run(['identify', '-regard-warnings', path], capture_output=True).returncode == 0:
                subprocess.run(['cp', path, out], check=True)
                return
        time.sleep(0.1)
    raise RuntimeError('no frame from the screen cast')


def handle(line):
    word, _, arg = line.partition(' ')
    try:
        if word == 'key':
            codes = [int(c) for c in arg.split('+')]
            for c in codes:
                key(c, True)
            for c in reversed(codes):
                key(c, False)
        elif word == 'shot':
            shot(arg)
        log.write(f'done {line}\n')
    except Exception as e:  # the test reads the reason from the log
        log.write(f'error {line}: {e}\n')


def reader():
    while True:
        with open(fifo) as f:
            for line in f:
                GLib.idle_add(lambda l=line.strip(): handle(l) and False)


threading.Thread(target=reader, daemon=True).start()
GLib.MainLoop().run()
