#pragma once

#include <QString>

// The long explanations the help pane shows for the six entry fields of the
// main window. Paragraphs are joined by CR LF with none after the last, so
// the pane shows exactly the paragraphs and nothing more.
QString txtNameHelpText();
QString txtAddressHelpText();
QString txtPOPHelpText();
QString txtSMTPHelpText();
QString txtIDHelpText();
QString txtPWHelpText();
