// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/local_socket.h"
#include "base/private_place.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QSocketNotifier;

namespace vexo {

// One running window per settings file. The first start listens on a local
// socket named after the file, in a folder that only this user can enter
// (see PrivateMeetingFolder), and hears only starts of this user; a later start on the same file hands its request over
// through it and ends, so that two windows never check and fetch the same
// files. A socket left behind by a copy that died is taken over.
class SingleInstance : public QObject {
public:
    // What a later start asks of the running copy.
    struct Request {
        bool inTray = false;              // leave the window where it is, turn the automatic check on
        std::string folder;               // an absolute path to take as the working folder; empty: none
        bool deleteAfterDecoding = false; // "/d": tick "Автоудаление"
    };

    enum class Outcome {
        HandedOver, // a running copy took the request: this start ends
        NoAnswer,   // a copy runs but did not take the request in time
        LockHeld,   // another start held the start lock for 5 s: this start ends
        Listening,  // none runs: this start is the one, and hears later starts
        Alone,      // none runs and the socket could not be made: this start runs unheard
    };

    explicit SingleInstance(const std::string& settingsPath, QObject* parent = nullptr,
                            WaitClock clock = WaitClock::System());
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Hands `request` (a relative folder taken from the current folder) to
    // the copy running on the same settings, or, with none running, starts
    // listening. Two starts at once settle which one runs under a lock.
    Outcome handOverOrListen(Request request);

    // Called with each request of a later start; those that came before it
    // was set are passed on at once.
    void setRequestHandler(std::function<void(const Request&)> handler);

    // Where the socket of the copy using `settingsPath` lies; empty where
    // the user has no private folder to meet in.
    static QString SocketPath(const std::string& settingsPath);

private:
    void takeConnections();
    void readRequest(LocalSocket connection);
    void deliver(Request request);

    QString path_;
    WaitClock clock_;
    LocalSocket server_;
    QSocketNotifier* serverNotifier_ = nullptr;
    std::function<void(const Request&)> handler_;
    std::vector<Request> waiting_;
};

} // namespace vexo
