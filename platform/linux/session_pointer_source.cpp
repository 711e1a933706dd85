// The session's pointer source: which desktop reports the pointer, and how it is started.

#include "pointer_source.h"

#include <chrono>
#include <cstdio>

#include "desktop_session.h"
#include "gnome_extension.h"
#include "kwin_script.h"
#include "loop_source.h"
#include "pointer_reports.h"

namespace {

// How long the GNOME Shell extension has to make its first report before lookout tells the
// user how to turn it on. It reports at once when it sees the name taken.
constexpr std::chrono::seconds extensionFirstReport{3};

// Tells the user once how to turn the extension on, when it has not reported in time.
class ExtensionHint final : public LoopSource {
public:
    explicit ExtensionHint(const PointerReports& reports)
        : reports_(reports), due_(std::chrono::steady_clock::now() + extensionFirstReport)
    {
    }

    LoopWait Wait() override { return {-1, 0, due_}; }

    bool Read() override
    {
        if (std::chrono::steady_clock::now() < due_)
            return false;
        due_ = std::chrono::steady_clock::time_point::max();
        if (reports_.Reports() == 0)
            std::fputs(gnomeExtensionHint, stderr);
        return false;
    }

private:
    const PointerReports& reports_;
    std::chrono::steady_clock::time_point due_;
};

// GNOME Shell: lookout's extension reports once it sees the name taken; lookout never turns it on.
PointerSource* StartGnome()
{
    PointerReports* reports = ServedReports();
    if (!reports)
        return nullptr;
    static ExtensionHint hint(*reports);
    AddLoopSource(hint);
    return reports;
}

// KDE Plasma: lookout's KWin script reports from the moment it is loaded.
PointerSource* StartKde()
{
    PointerReports* reports = ServedReports();
    return reports && LoadKWinScript() ? reports : nullptr;
}

PointerSource* Start()
{
    DesktopSession session = ThisSession();
    if (!session.wayland)
        return nullptr;
    switch (session.desktop) {
    case Desktop::Gnome:
        return StartGnome();
    case Desktop::Kde:
        return StartKde();
    default:
        return nullptr;
    }
}

} // namespace

PointerSource* SessionPointerSource()
{
    static PointerSource* source = Start();
    return source;
}
