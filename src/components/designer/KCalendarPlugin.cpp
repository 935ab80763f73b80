#include "KCalendarPlugin.h"

#include <QIcon>

#include "components/Kcalendar.h"

namespace vinta {

KCalendarPlugin::KCalendarPlugin(QObject* parent) : QObject(parent) {}
QString KCalendarPlugin::name() const { return QStringLiteral("vinta::TKCalendar"); }
QString KCalendarPlugin::group() const { return QStringLiteral("Original"); }
QString KCalendarPlugin::toolTip() const { return QStringLiteral("Gantt calendar"); }
QString KCalendarPlugin::whatsThis() const { return QStringLiteral("A calendar strip with schedule bars"); }
QString KCalendarPlugin::includeFile() const { return QStringLiteral("components/Kcalendar.h"); }
QIcon KCalendarPlugin::icon() const { return QIcon(); }
bool KCalendarPlugin::isContainer() const { return false; }

QWidget* KCalendarPlugin::createWidget(QWidget* parent) {
    auto* calendar = new TKCalendar(parent);
    // Something to see while the form is designed.
    calendar->SetDemo(true);
    return calendar;
}

QString KCalendarPlugin::domXml() const {
    return QStringLiteral(
        "<ui language=\"c++\"><widget class=\"vinta::TKCalendar\" name=\"kCalendar\">"
        "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>400</width><height>100</height></rect></property>"
        "</widget></ui>");
}

}  // namespace vinta
