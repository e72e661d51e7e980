#pragma once

#include "contact.h"
#include "skinned_dialog.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The contact editor, for adding and for viewing and editing alike. It opens
// with the texts of a new contact; fill() puts a stored contact in.
class TForm4 : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm4)

public:
    explicit TForm4(QWidget* parent = nullptr);

    void fill(const Contact& contact);
    // What the editor holds; the date of birth as read from Edit9.
    Contact contact() const;
    // The position of the chosen category counted from 1, or 0 for a text that is no category.
    int chosenCategory() const;

    // Empty names become "---"; a date of birth that does not read keeps the
    // editor open with a message, so that nothing typed is lost.
    void BitBtn1Click();

    // "-" marks a field as empty, "?" as unknown.
    void Button1Click() { mark(Edit1, kEmptyMark); }
    void Button2Click() { mark(Edit1, kUnknownMark); }
    void Button3Click() { mark(Edit2, kEmptyMark); }
    void Button4Click() { mark(Edit2, kUnknownMark); }
    void Button5Click() { mark(Edit3, kEmptyMark); }
    void Button6Click() { mark(Edit3, kUnknownMark); }
    void Button7Click() { mark(Edit4, kEmptyMark); }
    void Button8Click() { mark(Edit4, kUnknownMark); }
    void Button21Click() { mark(Edit11, kEmptyMark); }
    void Button22Click() { mark(Edit11, kUnknownMark); }
    void Button9Click() { mark(Edit5, kEmptyMark); }
    void Button10Click() { mark(Edit5, kUnknownMark); }
    void Button11Click() { mark(Edit6, kEmptyMark); }
    void Button12Click() { mark(Edit6, kUnknownMark); }
    void Button13Click() { mark(Edit7, kEmptyMark); }
    void Button14Click() { mark(Edit7, kUnknownMark); }

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QComboBox* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    static inline const QString kEmptyMark = QStringLiteral("---");
    static inline const QString kUnknownMark = QStringLiteral("???");
    static inline const QString kDateMessage = QStringLiteral(
        "Исправьте дату рождения!\r\n\r\nДата рождения прорисывается в формате, который указан в "
        "настройках Windows.");

private:
    QGridLayout* buildFields();
    void buildBirthdayGroup();
    void mark(QLineEdit* box, const QString& text);
    void mark(QComboBox* box, const QString& text);
};
