# Two commands for a fresh machine: `make run` plays the bundled demo, `make test` runs every test.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
PACKAGES := cmake ninja-build g++ pkg-config libsdl2-dev libsndfile1-dev libasound2-dev libjpeg-dev \
	libgtest-dev libbenchmark-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 ccache \
	libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev libpng-dev \
	libcli11-dev nlohmann-json3-dev clang libclang-rt-14-dev parallel slurm-wlm munge

.PHONY: all deps configure build run test bench bench-segment fuzz clean

all: build

deps:
	@if dpkg -s $(PACKAGES) >/dev/null 2>&1; then :; \
	elif [ "$$(id -u)" = 0 ]; then \
		apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $(PACKAGES); \
	else \
		echo "Missing packages; run: sudo apt-get install -y $(PACKAGES)"; exit 1; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	cd samples && ../$(BUILD)/demoplayer

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The benchmarks with an in-process baseline, then every "ratio" and "figure" line together.
BENCHES ?= render_bench image_bench layer_bench scene_bench startup_bench material_bench \
	combiner_emulation_bench lwo_bench capture_bench frame_pacing_bench
bench: build
	@rm -f $(BUILD)/bench/all.log
	@for b in $(BENCHES); do \
		echo "== $$b"; $(BUILD)/bench/$$b > $(BUILD)/bench/$$b.log; status=$$?; \
		cat $(BUILD)/bench/$$b.log; cat $(BUILD)/bench/$$b.log >> $(BUILD)/bench/all.log; \
		[ $$status = 0 ] || exit $$status; \
	done
	@echo; echo "Ratios are player time over baseline time, medians of interleaved rounds:"
	@grep -h -E '^(ratio|figure) ' $(BUILD)/bench/all.log

# A 4K capture in two parts side by side and joined, against one process (about 20 minutes on
# two cores; DP_SEGMENT_SECONDS=1 for a quick look).
bench-segment: build
	$(BUILD)/bench/segment_bench

# Every fuzz target for SECONDS seconds each, built by clang with the sanitizers in FUZZ_BUILD.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DDP_FUZZ=ON -DDP_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	fuzz/run.sh $(FUZZ_BUILD) $(SECONDS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
