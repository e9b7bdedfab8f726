#pragma once

// The network settings dialog "IP-Setting": address, gateway, subnet mask and
// MAC of the controller, two TCP/IP servers, four SNMP managers and the SNMP
// communities, pre-filled from the main window's network panels; "Setting"
// queues the 'J' command through the scheduler.

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QGridLayout;
class QLineEdit;

namespace zelt {

struct NetworkSettingsValues;
struct RequestScheduler;
class StatusArea;
class TRadioGroup;

class TForm1 : public QDialog {
    Q_OBJECT
public:
    // area: the main window's status tabs, read at opening and by "Setting";
    // it stays valid for the dialog's life.
    TForm1(RequestScheduler& scheduler, const StatusArea& area, QWidget* parent = nullptr);
    ~TForm1() override;

    void btnSettingClick();
    void btnSeletAllClick();
    void BitBtn3Click();
    void btnExitClick();

    NetworkSettingsValues ReadValues() const;
    // What the controller last reported, as the main window shows it;
    // unticked rows send it. None before the first status record.
    std::optional<NetworkSettingsValues> Reported() const;

private:
    // The values named like the edits and switches: text(edit) gives an
    // edit's text, on(group, main window box) a switch.
    NetworkSettingsValues ReadShown(const std::function<std::string(const QString& edit)>& text,
                                    const std::function<bool(const char* group, const char* box)>& on) const;
    void FormCreate(const StatusArea& area);
    // A row of edits named prefix + suffix, with its apply boxes.
    void AddEditRow(QGridLayout& grid, int row, const QString& caption, const std::vector<QString>& edits,
                    const char* apply, const char* applyOn, TRadioGroup* onOff);
    QLineEdit* Edit(const QString& name) const;
    std::string EditText(const QString& name) const;
    TRadioGroup* Group(const char* name) const;

    RequestScheduler& scheduler_;
    const StatusArea& area_;
    std::vector<QCheckBox*> applyBoxes_;
};

// The newest network settings dialog.
extern TForm1* Form1;

} // namespace zelt
