#pragma once

// Program-wide: when true at the end of a run, its "Done." notice is not shown. A run clears it
// before signing in; the filter dialogs set it when they close.
extern bool suppressDoneNotice;
