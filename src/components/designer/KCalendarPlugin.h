#pragma once
// The calendar control on the widget box of Qt Designer, in the group
// "Original", so that it can be placed in forms.

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace vinta {

class KCalendarPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    explicit KCalendarPlugin(QObject* parent = nullptr);
    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface*) override { initialized_ = true; }
    QString domXml() const override;

private:
    bool initialized_ = false;
};

}  // namespace vinta
