#pragma once

// A captioned group of radio buttons laid out in columns, read and set by the
// position of the chosen item (-1: none chosen, as when first built).

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace zelt {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const char* name, const QString& caption, const QStringList& items, int columns,
                QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;

signals:
    // The chosen item changed, by the operator or by the program.
    void Click();

private:
    QButtonGroup* buttons_ = nullptr;
};

} // namespace zelt
