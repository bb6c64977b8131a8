#include "timeline/effect.h"

Effect::~Effect() {}

int Effect::render(int, int) { return 1; }

int Effect::init() { return 1; }
