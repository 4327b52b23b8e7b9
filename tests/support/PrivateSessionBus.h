#pragma once

// Runs this test program again under dbus-run-session, on a session bus of
// its own (tests/support/session-bus.conf, named by the test's
// VELLOQ_SESSION_BUS_CONFIG), and returns only in that run. Call it first in
// main: Qt connects to the session bus while it makes the QApplication.
// Exits with a message when the bus cannot be started.
void runOnPrivateSessionBus(int argc, char* argv[]);
