#pragma once
// "Adjust Brightness and Contrast": the monitor's master contrast and brightness (video group, indices 0 and 1)
// and their software regulation: day and night limits, hysteresis, whether the software controls them and who
// controls them at start-up. Two sections of the same shape, contrast above and brightness below; each has a
// defaults panel (limit, initial and factory buttons) that its "Set/Use" button opens and its OK button closes.
#include "protocol/Catalogue.h"
#include "ui/DacAdjustWindow.h"
#include "ui/StateView.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

class FrmBrightnessContrast : public DacAdjustWindow, public StateView {
    Q_OBJECT
public:
    explicit FrmBrightnessContrast(AppContext& ctx, QWidget* parent = nullptr);

    void onActivated() override;
    // The panel status (limits, hysteresis, software control) and the operating mode's start-up controls.
    MonitorStates::Parts shownParts() const override {
        return MonitorStates::Part::PanelControls | MonitorStates::Part::OperatingMode;
    }
    void showStates() override;
    // What the monitor family set-up changes here: the contrast hysteresis controls.
    void applyFamilySetUp(int firmwareClass);

    bool defaultsPanelShown(Catalogue::UserControl section) const;
    // The video group's values: index 0 to the contrast section, 1 to the brightness section.
    void showDacValue(QChar group, DacKind kind, int index, int value) override;

signals:
    // The user chose who controls a section at start-up; the operating-mode window takes the choice and sends it.
    void startUpControlChosen(Catalogue::UserControl section, bool userControlled);

protected:
    void queueReads() override;

private:
    struct Section {
        explicit Section(Catalogue::UserControl section) : which(section) {}
        Catalogue::UserControl which;
        DacRowGroup* rows = nullptr;
        DacRow* row = nullptr;
        QRadioButton* softwareDisabled = nullptr;
        QRadioButton* softwareEnabled = nullptr;
        QRadioButton* userAtStartUp = nullptr;
        QRadioButton* softwareAtStartUp = nullptr;
        QLineEdit* hysteresis = nullptr;
        QWidget* setUseButton = nullptr;
        QList<QWidget*> panel;                // shown by "Set/Use", hidden by its OK button
        QList<QPair<QWidget*, QRect>> placed; // every control, in twips from the section's top
    };
    struct SectionNames;
    void buildSection(Section& s, const SectionNames& n);
    // Height of a section in twips: its defaults panel open or closed.
    static int sectionHeight(const Section& s);
    // Places both sections one below the other and Done below them, and fits the window to them.
    void layOutSections();
    void softwareControlChosen(Section& s, bool enabled);
    void setPanelShown(Section& s, bool shown);
    void useShownValue(Section& s, QWidget* label);
    void showSection(Section& s, const Reported<bool>& software, const Reported<int>& hysteresis, int startUpBit);

    Section m_contrast{Catalogue::UserControl::Contrast};
    Section m_brightness{Catalogue::UserControl::Brightness};
    QList<QWidget*> m_contrastHysteresis; // label, box and button the family set-up shows or hides
    QLabel* m_note = nullptr;
    QPushButton* m_done = nullptr;
};
