#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class SectionHost;
namespace Settings {
struct Record;
}

// Up and down arrows that step the whole number in a text box.
class UpDown : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpDown)

public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

    // One step up (+1) or down (-1) from the number in the box; a text that
    // is no number steps from the last position.
    void step(int delta);
    int position() const { return m_position; }
    void setPosition(int position);

    QToolButton* up = nullptr;
    QToolButton* down = nullptr;

signals:
    void stepped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_buddy;
    int m_minimum;
    int m_maximum;
    int m_position;
};

// The settings page "Слайды": which pictures the corner shows and how often
// they change. Nothing takes effect before the settings are saved.
class SlidesPage : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SlidesPage)

public:
    explicit SlidesPage(SectionHost& host, QWidget* parent = nullptr);

    // The page has become the active one: show the settings held in memory.
    void fill(const Settings::Record& settings);
    // The slide values of the settings save. A page that has never been shown
    // still holds its design values and leaves the record alone.
    void readInto(Settings::Record& settings) const;

    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void Button24Click();

    QGroupBox* SlideChild = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QPushButton* Button24 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label25 = nullptr;
    QLineEdit* Edit19 = nullptr;
    UpDown* UpDown1 = nullptr;
    QComboBox* ComboBox6 = nullptr;
    QCheckBox* CheckBox4 = nullptr;

private:
    void buildControls();
    // Which controls can be used for the checked picture choice.
    void enableFor(int type);

    SectionHost& m_host;
    bool m_filled = false;
};
