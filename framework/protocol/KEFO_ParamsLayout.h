// The record's 32-bit x86 layout, checked field by field. Included by
// KEFO_Params.h in 32-bit builds only; 64-bit builds widen the pointers.
#pragma once

#include "KEFO_Params.h"

#if defined(__i386__)

// offsetof on a class with virtual functions is conditionally supported; GCC
// supports it and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

#define KEFO_AT(field, offset) \
    static_assert(offsetof(KEFO_Params_8_0, field) == (offset), #field " must be at +" #offset)

KEFO_AT(reserved4, 4);
KEFO_AT(findRecordByWindow, 8);
KEFO_AT(command, 12);
KEFO_AT(hostVersion, 16);
KEFO_AT(instanceKind, 20);
KEFO_AT(ownerWindow, 24);
KEFO_AT(menuItemId, 36);
KEFO_AT(menuItemValue, 40);
KEFO_AT(frameIndex, 44);
KEFO_AT(aboutParent, 48);
KEFO_AT(settingsCount, 52);
KEFO_AT(settings, 56);
KEFO_AT(audioStart, 60);
KEFO_AT(audioEnd, 64);
KEFO_AT(audioFormatA, 68);
KEFO_AT(audioFormatB, 72);
KEFO_AT(audioBuffer, 76);
KEFO_AT(audioItemCount, 80);
KEFO_AT(presetCount, 100);
KEFO_AT(presets, 104);
KEFO_AT(activityFlags, 108);
KEFO_AT(activityFlags[3], 120);
KEFO_AT(fileOutputValue, 128);
KEFO_AT(currentFormatA, 160);
KEFO_AT(currentFormatB, 164);
KEFO_AT(keepSaveOption, 172);
KEFO_AT(hostText, 176);
KEFO_AT(displayName, 180);
KEFO_AT(idString, 244);
KEFO_AT(addOnKind, 256);
KEFO_AT(addOnVersion, 260);
KEFO_AT(minHostVersion, 264);
KEFO_AT(attributeA, 268);
KEFO_AT(attributeB, 272);
KEFO_AT(context, 276);
KEFO_AT(audioCommands, 280);
KEFO_AT(updatePeriod, 284);
KEFO_AT(menuItemState, 288);
KEFO_AT(requiredEdition, 296);
KEFO_AT(buildNumber, 328);
KEFO_AT(betaFlag, 332);

#undef KEFO_AT

// +296 belongs to the 5.3 record already.
static_assert(offsetof(KEFO_Params_5_3, requiredEdition) == 296, "requiredEdition must be at +296");
static_assert(sizeof(KEFO_Params) == 296, "the oldest record ends at +296");
static_assert(sizeof(KEFO_Params_8_0) == 340, "the 8.0 record is 340 bytes");
static_assert(sizeof(KEFO_PresetEntry) == 12, "a preset entry is 12 bytes");
static_assert(sizeof(void*) == 4 && sizeof(float) == 4 && sizeof(double) == 8, "32-bit x86");

#pragma GCC diagnostic pop

#endif  // __i386__
