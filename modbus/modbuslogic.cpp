// Placeholder translation unit until the subsystem's first logic unit.
