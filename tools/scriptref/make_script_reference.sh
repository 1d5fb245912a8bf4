#!/bin/sh
# Prints the README's script reference from the program itself:
#   tools/scriptref/make_script_reference.sh BUILD_DIR > reference.md
# The type list comes from "tatamix -scripthelp"; the tables from tools/scriptref/script_reference.
# EffectsE2E.ReadmeReferenceMatchesScriptHelp keeps README.md and the help in step.
set -eu
build=${1:-build}
types=$(xvfb-run -a -s "-screen 0 1280x720x24" "$build/tatamix" -scripthelp -res 320x180 2>&1 |
        sed -n 's/^Script object help: //p')
cat <<'INTRO'
A script is one XML element `demo` holding timed `part`s and objects. Every element takes
`id` (its name in paths; unnamed ones get one), `start` and `end` in seconds (`+N` means
relative to the start; a child never reaches outside its parent's range). Any other
attribute sets the parameter of that name when the object starts ("Init"). Child elements
`<event id="Start" start="2"/>` deliver an event ("Start", "Stop", "Play", "Synchronize",
"Init", "debug", "help") and `<set start="2" target="path" name="value"/>` changes
parameters at a time.

Values: numbers as `1.5`; vectors and colours as comma-separated components `0.5, -0.25`
(a colour given three numbers is opaque); booleans `true`/`false` (or `1`/`0`); strings as
they are. `$path` copies another object's value once, `*path` follows it every frame
(paths are dot-separated ids, e.g. `*intro.move.out`). Vector and colour components are
parameters of their own (`x`, `y`, `z`, `w` / `r`, `g`, `b`, `a`). Names of modes (blend
factors, units, wraps ...) are checked when they are used: an unknown one ends the run with
an error and exit status 255. `tatamix -scripthelp` prints the same reference.

Access: *init-only* parameters are read when the object starts, *read/write* ones may be
changed and referenced at any time, *read-only* ones are outputs for references.

`demo` and `part` have two read-only parameters of their own, as every effect does: `time`,
the seconds since the object's own `start`, and `time_remain`, the seconds left to its own
`end` (`*intro.time` follows the part `intro`; an effect's `time` counts from the effect's
`start`, not from a "Start" event).

INTRO
# shellcheck disable=SC2086
"$build/tools/scriptref/script_reference" $types
