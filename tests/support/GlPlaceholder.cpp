// Replaced by the offscreen GL fixture.
