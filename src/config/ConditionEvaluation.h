// Deciding a condition on a machine, with the reason the log gives: which test decided it and
// the values it saw ("model "OptiPlex 7010" is not like "Latitude 7*"").
#pragma once

#include "config/Condition.h"
#include "config/MachineFacts.h"

#include <string>

struct ConditionDecision
{
    enum class Outcome
    {
        Applies,
        DoesNotApply,
        Undecided, // a fact could not be read: never taken as applying
    };
    Outcome outcome = Outcome::Applies;
    std::wstring reason; // empty for an empty condition
};

// `and` is false as soon as one side is false and undecided otherwise when one side is; `or` is
// true as soon as one side is true; `not` of undecided stays undecided. An empty condition applies.
ConditionDecision DecideCondition(const Condition& condition, MachineFacts& facts);
