// The module object shared by the add-ons that only announce a host feature
// (the digital mixer, sending to iTunes/iPod): no audio, a four-float
// settings array, one help item in the host's help menu and an About box.
// Such an add-on derives from this class, gives its identity and decides in
// CreateContext which instance kinds it serves.
//
// Threads: as AODll.
#pragma once

#include "framework/AODll.h"

class AOFeatureDll : public AODll {
public:
    // The identity is known from construction on, so an instance created or
    // an About box shown before any information query already has it.
    explicit AOFeatureDll(const AOIdentity& identity);

    // The base reply, and the host edition these add-ons need from hosts
    // whose record has the field.
    int OnInfo(KEFO_Params* record) override;
    void DeleteContext(AOContext* context) override;

    // The help item every feature add-on puts into the host's help menu.
    static constexpr int kHelpItemId = kefo::kFirstMenuItemId;
};
