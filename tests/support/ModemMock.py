#!/usr/bin/python3
"""Drives a python-dbusmock ModemManager on a private bus, one step a run:
ModemMock.py ADDRESS modem | ring NUMBER | answer | hangup"""
import sys

import dbus

MM = 'org.freedesktop.ModemManager1'
MOCK = 'org.freedesktop.DBus.Mock'
VOICE = 'org.freedesktop.ModemManager1.Modem.Voice'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'
ROOT = '/org/freedesktop/ModemManager1'
MODEM = ROOT + '/Modem/0'
CALL = ROOT + '/Call/1'

bus = dbus.bus.BusConnection(sys.argv[1])


def mock(path):
    return dbus.Interface(bus.get_object(MM, path), MOCK)


step = sys.argv[2]
if step == 'modem':
    mock(ROOT).AddObject(MODEM, VOICE, {'Calls': dbus.Array([], signature='o')}, [])
elif step == 'ring':
    mock(ROOT).AddObject(CALL, CALL_IFACE, {'State': dbus.Int32(3), 'Direction': dbus.Int32(1),
                                            'Number': sys.argv[3]}, [])
    mock(MODEM).UpdateProperties(VOICE, {'Calls': dbus.Array([CALL], signature='o')})
elif step == 'answer':
    mock(CALL).UpdateProperties(CALL_IFACE, {'State': dbus.Int32(4)})
elif step == 'hangup':
    mock(CALL).UpdateProperties(CALL_IFACE, {'State': dbus.Int32(7)})
else:
    sys.exit(2)
