// One random change of any kind the user can make, through the commands: what the undo and redo
// test and the merge's random copies both drive a document with, each in a style of its own.
#pragma once

#include "model/Money.h"
#include "period/DayNumber.h"

#include <random>
#include <span>
#include <string>

namespace tamblero {
class CVerdalonDoc;
}

namespace tamblero::test {

class CScriptedPlatform;

struct RandomStyle {
    std::span<const std::u16string> names; // for nodes, accounts and notes
    DayNumber firstDay = 146000;           // new and corrected expenses' days from here on
    int days = 20;
    Amount maxAmount = 500; // amounts 1 .. maxAmount
    // Days 0 and 9999, the smallest amount and amounts below zero too.
    bool extremes = false;
    // Deletions half as often, and of an account only while another is left.
    bool fewerDeletions = false;
    // The undo and redo of the last changes among the kinds.
    bool undoRedo = false;
    // Where set, questions about a negative balance get either answer.
    CScriptedPlatform* answers = nullptr;
    // Deposits and transfers as the dialog confirms them (asking), else recorded as they are.
    bool confirmTransfers = false;
};

void RandomChange(CVerdalonDoc& doc, std::mt19937& random, const RandomStyle& style);

} // namespace tamblero::test
