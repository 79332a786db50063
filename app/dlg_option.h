#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

#include "AppSettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace murk {

// What the options dialog changes in the main window while it is open.
class TOptionHost {
public:
    virtual ~TOptionHost() = default;

    virtual bool ListLineShown() const = 0;
    virtual void SetListLine(bool shown) = 0;
    virtual QFont ListFont() const = 0;
    virtual void SetListFont(const QFont& font) = 0;
    // The list's background colour, chosen and kept by the main window.
    virtual void ListColor1Click() = 0;
    // The colour of the list's names, kept in the settings' list font.
    virtual void SetListTextColor(const QColor& color) = 0;
    virtual QColor PreviewColor() const = 0;
    virtual void SetPreviewColor(const QColor& color) = 0;
    virtual void ApplyLayout(int index) = 0;
    // "Murkwell Ultra" and "Ultra" of the Select menu.
    virtual void SetUltraItemsVisible(bool visible) = 0;
    // "Jpz Encode" and "Jpz" of the Select menu.
    virtual void SetJpzItemsVisible(bool visible) = 0;
    virtual void RestartLogout() = 0;
};

// The 1-based position of the box's text among its items, compared exactly
// but without regard to letter case; 0 when it is none of them (or empty).
int ModeNumber(const QComboBox* box);

// A new extension is three ASCII letters or digits; otherwise says why in a
// box captioned "警告" and answers false.
bool IsValidExt(const QString& text, QWidget* parent);
bool IsAlnum(char c);

// The options. Every show fills the controls from the settings; every close,
// however it comes, stores all pages.
class TdlgOption : public QDialog {
    Q_OBJECT
public:
    // settings and host must outlive the dialog.
    TdlgOption(TAppSettings& settings, TOptionHost& host, QWidget* parent = nullptr);

    // The layout the main window applies at start, selected without
    // applying it again.
    void SelectLayout(int index);
    int LayoutIndex() const;

    void done(int result) override;

    QTabWidget* PageControl;
    QCheckBox* cbLoginEnable;
    QCheckBox* CbPassChange;
    QLineEdit* edLoginTitle;
    QCheckBox* cbAutoLogout;
    QSpinBox* edTime;
    QLineEdit* edMainTitle;
    QCheckBox* cbjpgjpg;
    QCheckBox* cbjpgxxx;
    QLineEdit* edNewExt;
    QComboBox* CboxNormalMode;
    QComboBox* CboxExtraMode;
    QCheckBox* cbUltra;
    QComboBox* cboxUltraMode;
    QCheckBox* cbJpz;
    QCheckBox* cbListLine;
    QPushButton* btnListColor;
    QPushButton* btnListTextColor;
    QPushButton* btnListFont;
    QPushButton* SpeedButton1;
    QGroupBox* rgOption;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* LoginPage();
    QWidget* ExtPage();
    QWidget* ModePage();
    QWidget* ListPage();

    void FormShow();
    void FormClose();
    void cbLoginEnableClick();
    void cbjpgjpgClick();
    void cbjpgxxxClick();
    void cbUltraClick();
    void cbJpzClick();
    void cbListLineClick();
    void btnListFontClick();
    void btnListTextColorClick();
    void SpeedButton1Click();
    void rgOptionClick(int index);
    bool ModeBtnOkClick();
    bool extBtnOkClick();
    bool btnOkClick();
    int EditTimeValue() const;

    TAppSettings& FSettings;
    TOptionHost& FHost;
    QButtonGroup* FLayouts;
};

}  // namespace murk
