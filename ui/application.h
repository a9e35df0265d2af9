// The program's application object: "." as decimal separator whatever the locale,
// the title "Orrimar", integrator failures in message boxes, and no exception
// escaping the event loop.
#pragma once

#include <QApplication>

#include <functional>
#include <string>
#include <utility>

namespace orrimar {

class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    // Any exception that reaches the event dispatch is shown in the error box and
    // the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Makes number conversion and formatting use "." (C library and Qt), whatever the
// user's locale. Qt sets the C library's locale from the environment when the
// application object is created, so this runs after that.
void useDotDecimalSeparator();

// Shows an integrator failure's text in a "DOP853" message box without icon and owner.
void showDop853Failure(const std::string& text);

// Runs fn, showing an exception that leaves it in the error box; for slots, so that
// no exception has to cross Qt's own code.
void runGuarded(const std::function<void()>& fn);

template <typename Fn>
auto guarded(Fn fn)
{
    return [fn = std::move(fn)](auto&&... args) {
        runGuarded([&] { fn(std::forward<decltype(args)>(args)...); });
    };
}

}  // namespace orrimar
