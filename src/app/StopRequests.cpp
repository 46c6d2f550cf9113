// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StopRequests.h"

#include "app/TForm1.h"

StopRequests::StopRequests(TForm1& form, const std::function<void(int)>& end) {
    connect(&m_watcher, &InterruptWatcher::interrupted, this, [&form, end](int status) {
        form.close();
        end(status);
    });
}
