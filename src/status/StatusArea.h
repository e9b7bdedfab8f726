#pragma once

// The status area of the main window: the three pages "Rectifier Status",
// "Operating Info" and "Ethernet Info" with every lamp, value panel, caption
// and enable box the status decoders write. Controls carry their names as
// object names and are addressed by them; the area only builds and addresses
// them, it holds no plant state of its own.

#include "status/StatusView.h"

#include <QColor>
#include <QString>
#include <map>
#include <string>
#include <string_view>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QTabWidget;
class QWidget;

namespace zelt {

class Lamp;

class StatusArea : public StatusView {
public:
    // Adds the three pages to pages (the main window's page control), which
    // owns them and must outlive this object.
    explicit StatusArea(QTabWidget& pages);

    StatusArea(const StatusArea&) = delete;
    StatusArea& operator=(const StatusArea&) = delete;

    void SetText(std::string_view name, const std::string& text) override;
    std::string Text(std::string_view name) const override;

    void SetLamp(std::string_view name, Rgb colour) override;
    Rgb LampColour(std::string_view name) const override;

    // Background of a value panel or caption label.
    void SetBackground(std::string_view name, Rgb colour) override;
    void ClearBackground(std::string_view name) override;
    QColor Background(std::string_view name) const;

    void SetFontSize(std::string_view name, int points) override;
    int FontSize(std::string_view name) const;

    // Shown or hidden within its page (the page itself may be off screen).
    void SetVisible(std::string_view name, bool visible) override;
    bool IsVisible(std::string_view name) const;

    void SetChecked(std::string_view name, bool checked) override;
    bool IsChecked(std::string_view name) const;

private:
    QWidget* BuildRectifierPage();
    QWidget* BuildOperatingPage();
    QWidget* BuildEthernetPage();

    QGroupBox* NewGroup(const QString& title, bool moneyGreen);
    QLabel* NewCaption(const QString& text, const char* name = nullptr);
    QLabel* NewPanel(const char* name, int width);
    // A lamp named for assistive technology after the caption beside it.
    Lamp* NewLamp(const char* name, const char* caption);
    QCheckBox* NewCheck(const char* name);

    // Rows of caption and panel, one per line, into a two-column grid.
    void AddPanelRow(QGridLayout& grid, int row, const QString& caption, const char* panel, int width);

    QLabel* LabelNamed(std::string_view name) const;

    std::map<std::string, QLabel*, std::less<>> labels_;
    std::map<std::string, Lamp*, std::less<>> lamps_;
    std::map<std::string, QCheckBox*, std::less<>> checks_;
};

} // namespace zelt
