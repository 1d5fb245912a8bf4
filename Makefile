# TATAMIX+ — the two commands a newcomer needs are `make run` and `make test`.
BUILD    ?= build
TYPE     ?= RelWithDebInfo
JOBS     ?= $(shell nproc)
ASSETGEN := $(BUILD)/tools/assetgen/tatamix-assetgen
TATAMIX  := $(BUILD)/tatamix
FPS      ?= 30
# -noreset: Xvfb resets when its last client leaves, and a client connecting meanwhile fails.
XVFB     := xvfb-run -a -s "-screen 0 1280x720x24 -noreset"
# Run under a virtual display when there is no real one (and xvfb-run exists: without either
# the program says in one line what is missing). The tests start displays of their own.
DISPLAY_WRAP = $(if $(DISPLAY),,$(if $(shell command -v xvfb-run),$(XVFB)))
# What playing needs; `make build` and `make test` build everything (tests, benchmarks).
RUN_TARGETS := tatamix tatamix-assetgen

.PHONY: all deps configure build build-run data run test dist capture validate bench fuzz sanitize clean

all: build

deps:
	@bash scripts/install-deps.sh --if-missing

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

build-run: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)

# The generator writes the generated part of data/; it runs again whenever it was rebuilt.
data/.assetgen-stamp: $(ASSETGEN)
	$(ASSETGEN) data
	@touch $@

data: build-run
	@$(MAKE) --no-print-directory data/.assetgen-stamp

run: data
	$(DISPLAY_WRAP) $(TATAMIX) -d data

test: build data
	cd $(BUILD) && ctest --output-on-failure -j 2

dist: data
	rm -f demo.dat
	$(DISPLAY_WRAP) $(TATAMIX) -d data -g demo.dat -capture $(BUILD)/dist-frames -fps 1 -res 64x36 >/dev/null
	@echo "demo.dat written."

# Straight to a video through ffmpeg (the program says so when ffmpeg is missing).
capture: data
	rm -rf capture && mkdir -p capture
	$(DISPLAY_WRAP) $(TATAMIX) -d data -capture capture/tatamix.mp4 -fps $(FPS) -seed 1
	@echo "capture/tatamix.mp4 written."

# The show and every file it uses checked without playing (exit 2 on any problem).
validate: data
	$(DISPLAY_WRAP) $(TATAMIX) -d data -validate

bench: build
	@for b in $(BUILD)/bench/*/bench_*; do echo "== $$b"; $(DISPLAY_WRAP) $$b || exit 1; done

fuzz:
	bash scripts/fuzz.sh $(FUZZ_SECONDS)

# The tests and a 30-second show excerpt under AddressSanitizer + UndefinedBehaviorSanitizer.
sanitize: data
	bash scripts/sanitize.sh

clean:
	rm -rf $(BUILD)
