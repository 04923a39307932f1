#pragma once

#include "core/common/ProgressControl.h"

#include <QString>
#include <chrono>
#include <functional>
#include <future>

class QWidget;

// Long work on a file, run on a worker thread while the user waits: when it
// is not done within half a second an application-modal progress dialog
// shows how far it has come (bytes done of total, from its ProgressControl)
// with a Cancel button, and the windows keep painting. Cancel, Escape and the
// dialog's close box set the control's cancel flag and wait for the work to
// stop; the work must look at the flag often.
//
//   qm::ProgressControl control;
//   auto tree = LongTask::run(dialog, control, parent, [&] { return build(file, control); });
class LongTask {
public:
    struct Dialog {
        QString objectName; // of the progress dialog
        QString title;
        QString label;
    };

    template <typename Work>
    static auto run(const Dialog& dialog, qm::ProgressControl& control, QWidget* parent, Work work)
        -> decltype(work()) {
        std::future<decltype(work())> result = std::async(std::launch::async, std::move(work));
        if (result.wait_for(kQuietTime) != std::future_status::ready)
            showProgress(dialog, control, parent, [&] {
                return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            });
        return result.get();
    }

    // Work that ends sooner shows no dialog.
    static constexpr std::chrono::milliseconds kQuietTime{500};

private:
    // Shows the dialog until done() holds; after a cancel, until the work has stopped.
    static void showProgress(const Dialog& dialog, qm::ProgressControl& control, QWidget* parent,
                             const std::function<bool()>& done);
};
