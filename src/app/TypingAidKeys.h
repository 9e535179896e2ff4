#pragma once

#include "providers/AddressTypingAid.h"

class QKeyEvent;
class QLineEdit;

// The typing aid on the address field: which keys reach it, and its answer
// applied to the field. Answers what the aid made of the key: TypeNormally
// leaves the key to the field, ReplaceEdit has already changed the field, and
// MoveToDerivation is the caller's to carry out.
TypingAidAction::Kind applyTypingAid(QLineEdit* field, const QKeyEvent* e);
