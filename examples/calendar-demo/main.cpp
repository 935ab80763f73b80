// The Gantt calendar control on its own: the designer's demonstration items,
// a mode switch, a date chooser to look at any month (and its holidays), the
// national holidays of Japan, and the date under the pointer in the status
// bar.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDate>
#include <QMainWindow>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

#include "components/Holidays.h"
#include "components/Kcalendar.h"
#include "framework/Interface.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vinta::UseJapaneseInterface();
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("calendar-demo"));

    QStringList holidays;
    for (int y = vinta::kFirstHolidayYear; y <= 2099; ++y)
        for (const vinta::Holiday& h : vinta::JapaneseHolidays(y))
            holidays << QString::fromStdString(vinta::HolidayLine(h));

    auto* calendar = new vinta::TKCalendar;
    calendar->SetHolidays(&holidays);
    calendar->SetDemo(true);
    calendar->SetRowCount(8);
    calendar->SetColCount(36);

    auto* scroll = new QScrollArea;
    scroll->setWidget(calendar);
    window.setCentralWidget(scroll);

    auto* modes = new QComboBox;
    modes->setObjectName(QStringLiteral("Mode"));
    modes->addItems({QStringLiteral("日 (dmDay)"), QStringLiteral("週 (dmWeek)"), QStringLiteral("月 (dmMonth)"),
                     QStringLiteral("年 (dmYear)")});
    modes->setCurrentIndex(vinta::dmMonth);
    QObject::connect(modes, &QComboBox::currentIndexChanged, calendar, [calendar](int m) {
        calendar->SetMode(m);
        calendar->SetColCount(m == vinta::dmDay ? 24 : m == vinta::dmWeek ? 14 : 36);
    });
    QToolBar* bar = window.addToolBar(QStringLiteral("Mode"));
    bar->addWidget(modes);

    // Any date: the demonstration's items belong to April 2005, so choosing a
    // date turns the demonstration off; the box turns it on again.
    auto* date = new QDateEdit(QDate(2005, 4, 4));
    date->setObjectName(QStringLiteral("CurrentDate"));
    date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    date->setCalendarPopup(true);
    auto* demo = new QCheckBox(QStringLiteral("Demo"));
    demo->setChecked(true);
    QObject::connect(date, &QDateEdit::dateChanged, calendar, [calendar, demo](QDate d) {
        demo->setChecked(false);
        calendar->setCurrentDate(d);
    });
    QObject::connect(demo, &QCheckBox::toggled, calendar, [calendar, date](bool on) {
        calendar->setDemo(on);
        if (!on) calendar->setCurrentDate(date->date());
        calendar->update();
    });
    bar->addWidget(date);
    bar->addWidget(demo);

    calendar->OnMouseMove = [&window](vinta::TKCalendar* c, int x, int y, QRect, int, int) {
        vinta::DateTimeValue dt = 0;
        QRect rc;
        int col, row;
        if (!c->State().GetDateTime(x, y, dt, rc, col, row)) return;
        int yy, mm, dd;
        vinta::DecodeDate(dt, yy, mm, dd);
        const int minutes = static_cast<int>((dt - static_cast<long long>(dt)) * 1440 + 0.5);
        window.statusBar()->showMessage(QString::asprintf("%04d/%02d/%02d %02d:%02d  (列 %d, 行 %d)", yy, mm, dd,
                                                          minutes / 60, minutes % 60, col, row));
    };
    window.resize(960, 420);
    window.show();
    return QApplication::exec();
}
