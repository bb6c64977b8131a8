/* The show's schedule, the one place it is written: its scenes in play order,
   each with its time on screen (ms) and the score row where it begins. The
   show runs for the sum of the times. The program, the data tools, the
   capture, the scripts and the tests all read this table, so one line per
   scene in this form: SCENE("file", ms, row) */
#ifndef VELMORA_SCENE_SHOW_SCHEDULE_H
#define VELMORA_SCENE_SHOW_SCHEDULE_H

#define SHOW_SCHEDULE(SCENE) \
    SCENE("ltitre.3ds", 17143, 0) \
    SCENE("add2.3ds", 17143, 160) \
    SCENE("prepre.3ds", 17143, 320) \
    SCENE("readd.3ds", 8571, 480) \
    SCENE("tunnel.3ds", 34286, 560) \
    SCENE("nua.3ds", 19286, 880) \
    SCENE("eau.3ds", 34286, 1060)

#define SHOW_SCHEDULE_MS_(file, ms, row) + (ms)
#define SHOW_SCHEDULE_ONE_(file, ms, row) + 1

/* Running time of the show, in ms from its start. */
#define SHOW_LENGTH_MS (0 SHOW_SCHEDULE(SHOW_SCHEDULE_MS_))
#define SHOW_SCENES (0 SHOW_SCHEDULE(SHOW_SCHEDULE_ONE_))

#endif
