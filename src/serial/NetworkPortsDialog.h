#pragma once

// The "Network ports" window, opened from the port dialog's "Network…"
// button: COM1..COM8 with what each opens now, and a tcp:// or rfc2217://
// address per name, written to the console's settings file (group "ports")
// once every address is checked. An empty address clears the name's mapping.

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zelt {

class NetworkPortsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPortCount = 8;

    explicit NetworkPortsDialog(QWidget* parent = nullptr);

    // Checks every address; writes them and closes when all are sound,
    // otherwise names the first that is not and stays open.
    void SaveClick();

private:
    std::array<QLineEdit*, kPortCount> urls_ {};
    QLabel* error_ = nullptr;
};

} // namespace zelt
