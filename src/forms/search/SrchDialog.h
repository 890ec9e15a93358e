#pragma once

#include "platform/Forms.h"

// The search dialog: finds records whose fields contain a text, forward or
// backward, from an always-on-top window that does not take the focus.
class SrchDialog : public Form
{
    Q_OBJECT
public:
    SrchDialog();
    void Form_Load() override;
};
