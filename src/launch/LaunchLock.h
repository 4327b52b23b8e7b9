#pragma once

#include <QString>

// The history lock a launch takes in its first milliseconds, before the
// application's libraries are loaded, and hands over to the application it
// then becomes (exec keeps the process, so the lock's process id stays
// true). A command started meanwhile finds a Velloq starting, not none.
class LaunchLock {
public:
    LaunchLock() = delete;

    // Takes the lock of `folder` (creating the folder, private, if needed)
    // for the application this process is about to become. False when
    // someone else holds it: the application then waits for it itself.
    static bool takeForApplication(const QString& folder);
    // Gives up a lock taken for an application that did not start.
    static void release();
    // In the application: whether the lock at `lockPath` is the one this
    // process took before it became the application. Its file stays in
    // place throughout (a moment without it would let a command find no
    // Velloq); the application removes it when it ends, with
    // removeHandedOver.
    static bool takeOver(const QString& lockPath);
    // Removes the lock file at `lockPath` if it still names this process.
    static void removeHandedOver(const QString& lockPath);
};
