#pragma once

// The yes/no confirmation of a test date earlier than the scheduled test:
// "Yes" writes the pending dates into the battery discharge test window,
// "no" leaves it as it was. Created once and reused.

#include <QDialog>

class QLabel;
class QPushButton;

namespace zelt {

class TBattDisch;

class TfrmDataSetCheck : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDataSetCheck(TBattDisch& battDisch);

    QLabel* const lbMessage;
    QPushButton* const btnSet;
    QPushButton* const No;

    void btnSetClick();
    void NoClick();

private:
    TBattDisch& battDisch_;
};

} // namespace zelt
