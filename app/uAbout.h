#pragma once
// The about window: the program's version and a short help on editing and on the calculation.
// Created hidden at start-up, shown modally by the main window's help button; closing hides it.
#include <QDialog>
#include <QString>

#include "controls/owner.h"

class TLabel;
class TSpeedButton;
class QObject;

// The help text, built anew at every showing: lines ended by carriage returns (code 13), no line
// feeds; the voltage step in the general number format with the decimal separator of the moment.
QString BuildHelpText();

class TFAbout : public QDialog, public dp::TOwner {
public:
    explicit TFAbout(QWidget* parent = nullptr);
    ~TFAbout() override;

    // Components, in the order of creation.
    TLabel* LabVer = nullptr;
    TLabel* LabHelp = nullptr;
    TSpeedButton* ButClose = nullptr;

    // Show handler: puts the help text into LabHelp before the window becomes visible.
    void FormShow(QObject* Sender);
    // Closes the window: hidden, not destroyed; the modal showing ends with a cancel result.
    void ButCloseClick(QObject* Sender);

protected:
    void showEvent(QShowEvent* event) override;
};

// The about window of the program, created hidden at start-up.
extern TFAbout* FAbout;
