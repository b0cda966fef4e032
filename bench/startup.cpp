// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sys/resource.h>

#include "app/error_box.h"
#include "app/form1.h"
#include "app/icon.h"
#include "child_process.h"
#include "stats.h"

namespace vorna::bench {

namespace {

// Stamps the moment the first paint pass of the watched window is over, then quits.
class FirstPaint : public QObject {
public:
    std::int64_t stampNs = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Posted: it runs once the children have painted and the frame is flushed.
            QTimer::singleShot(0, this, [this] {
                stampNs = monotonicNs();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

// Peak resident set of this process image, from the kernel's own bookkeeping.
long vmHwmKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace

double field(const std::string &line, const std::string &key)
{
    const std::string tag = key + "=";
    std::size_t at = 0;
    while ((at = line.find(tag, at)) != std::string::npos) {
        if (at == 0 || line[at - 1] == ' ')
            return std::stod(line.substr(at + tag.size()));
        at += tag.size();
    }
    return -1;
}

int startupChild(int argc, char **argv, const std::vector<std::string> &args)
{
    if (args.size() < 2)
        return 2;
    const bool form = args[0] == "form";
    const std::int64_t launchNs = std::stoll(args[1]);
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (form) {
        // As the tool's main() starts it.
        QApplication::setApplicationName(app::kAppTitle);
        QApplication::setWindowIcon(app::vornaIcon());
        window = std::make_unique<app::TForm1>();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect place(QPoint(0, 0), window->size());
            place.moveCenter(screen->availableGeometry().center());
            window->move(place.topLeft());
        }
    } else {
        int w = 0, h = 0;
        if (args.size() < 3 || std::sscanf(args[2].c_str(), "%dx%d", &w, &h) != 2)
            return 2;
        window = std::make_unique<QWidget>();
        window->resize(w, h);
        if (args[0] == "label")
            (new QLabel(QStringLiteral("Numer portu COM"), window.get()))->move(8, 8);
    }
    FirstPaint watch;
    window->installEventFilter(&watch);
    window->show();
    app.exec();
    if (watch.stampNs == 0)
        return 3;
    const QSize size = window->size();
    window.reset();
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    std::printf("first_paint_ms=%.3f maxrss_kb=%ld hwm_kb=%ld width=%d height=%d\n",
                double(watch.stampNs - launchNs) / 1e6, u.ru_maxrss, vmHwmKb(), size.width(), size.height());
    return 0;
}

StartupResult measureStartup(int runs)
{
    StartupResult result;
    auto launch = [&](const std::vector<std::string> &args) {
        std::vector<std::string> all = {"--child", "startup", args[0], std::to_string(monotonicNs())};
        all.insert(all.end(), args.begin() + 1, args.end());
        Child child;
        std::string out;
        if (!child.start(all) || child.finish(&out) != 0 || field(out, "first_paint_ms") < 0) {
            ++result.failures;
            return std::string();
        }
        return out;
    };
    struct Series {
        std::vector<double> ms, rss, hwm;
        void add(const std::string &line)
        {
            ms.push_back(field(line, "first_paint_ms"));
            rss.push_back(field(line, "maxrss_kb"));
            hwm.push_back(field(line, "hwm_kb"));
        }
    } form, empty, label;
    // One unmeasured round first: it brings the libraries and fonts into the page cache.
    for (int r = 0; r <= runs; ++r) {
        const std::string f = launch({"form"});
        if (f.empty())
            continue;
        result.width = int(field(f, "width"));
        result.height = int(field(f, "height"));
        const std::string size = std::to_string(result.width) + "x" + std::to_string(result.height);
        const std::string e = launch({"empty", size});
        const std::string l = launch({"label", size});
        if (e.empty() || l.empty() || r == 0)
            continue;
        form.add(f);
        empty.add(e);
        label.add(l);
    }
    result.runs = int(form.ms.size());
    result.formMs = median(form.ms);
    result.emptyMs = median(empty.ms);
    result.labelMs = median(label.ms);
    result.formRssKb = median(form.rss);
    result.emptyRssKb = median(empty.rss);
    result.labelRssKb = median(label.rss);
    result.formHwmKb = median(form.hwm);
    result.emptyHwmKb = median(empty.hwm);
    result.labelHwmKb = median(label.hwm);
    return result;
}

} // namespace vorna::bench
