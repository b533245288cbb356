// The plug-in's About box: what it is, what it does and where it comes from.
#pragma once

// Shows the About box and returns once the user has closed it.
void showUeber();
