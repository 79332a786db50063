#include <QAction>
#include <QSplitter>

#include "PickDialogs.h"
#include "RgbQt.h"
#include "main.h"

// What the options dialog changes in the window.

namespace murk {

void TMainFm::ApplyListColors() {
    QPalette colors = ListView->palette();
    colors.setColor(QPalette::Base, ToColor(RgbFromColorRef(FSettings.ListViewColor)));
    colors.setColor(QPalette::Text, ToColor(RgbFromColorRef(FSettings.ListFont.Color)));
    // The selection stays visible while the list does not have the focus.
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colors.setColor(QPalette::Inactive, role, colors.color(QPalette::Active, role));
    }
    ListView->setPalette(colors);
}

void TMainFm::ApplyLayout(int Index) {
    switch (Index) {
        case 0: {
            PnLeftMain->show();
            TreeView->show();
            SpLeftMain->show();
            const int height = std::max(3, PnLeftMain->height());
            SpLeftMain->setSizes({height - height / 3, height / 3});
            break;
        }
        case 1:
            PnLeftMain->show();
            SpLeftMain->show();
            TreeView->hide();
            break;
        case 2:
            PnLeftMain->hide();
            TreeView->hide();
            SpLeftMain->hide();
            break;
        default:
            break;
    }
}

bool TMainFm::ListLineShown() const {
    return ListView->ListLine();
}

void TMainFm::SetListLine(bool shown) {
    ListView->SetListLine(shown);
}

QFont TMainFm::ListFont() const {
    return ListView->font();
}

void TMainFm::SetListFont(const QFont& font) {
    ListView->setFont(font);
}

void TMainFm::ListColor1Click() {
    const QColor current = ToColor(RgbFromColorRef(FSettings.ListViewColor));
    if (const std::optional<QColor> color = PickColor(this, current)) {
        FSettings.ListViewColor = ColorRefFromRgb(ToRgb(*color));
        ApplyListColors();
    }
}

QColor TMainFm::PreviewColor() const {
    return pbImageArea->Color();
}

void TMainFm::SetPreviewColor(const QColor& color) {
    pbImageArea->SetColor(color);
    FSettings.SamnailBackColor = ColorRefFromRgb(ToRgb(color));
}

void TMainFm::SetUltraItemsVisible(bool visible) {
    ppMurkwellUltra->setVisible(visible);
    ppSelectUltra->setVisible(visible);
}

void TMainFm::SetJpzItemsVisible(bool visible) {
    ppJpzEncode->setVisible(visible);
    ppSelectJpz->setVisible(visible);
}

}  // namespace murk
