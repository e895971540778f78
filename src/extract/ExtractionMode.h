#pragma once

// The six extraction modes; each run has exactly one.
enum class ExtractionMode {
    AllEmailData,        // mExtractAllEmailData
    Containing,          // mExtractAllEmailDataContaining
    ContainingList,      // mExtractAllEmailDataContaininglist (text sets)
    NotContaining,       // mExtractAllEmailDataNotContaining
    Between,             // mExtractAllEmailDataStartsWith (extract between X and Y)
    LineNumber,          // mExtractAllEmailDataLineNumber
};
