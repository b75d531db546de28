# Two commands for a fresh machine: `make run` plays the bundled demo, `make test` runs every test.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
PACKAGES := cmake ninja-build g++ pkg-config libsdl2-dev libsndfile1-dev libjpeg-dev \
	libgtest-dev libbenchmark-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 ccache \
	libcli11-dev

.PHONY: all deps configure build run test bench clean

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
BENCHES ?= render_bench image_bench layer_bench scene_bench startup_bench
bench: build
	@rm -f $(BUILD)/bench/all.log
	@for b in $(BENCHES); do \
		echo "== $$b"; $(BUILD)/bench/$$b | tee -a $(BUILD)/bench/all.log || exit 1; \
	done
	@echo; echo "Ratios are player time over baseline time, medians of interleaved rounds:"
	@grep -h -E '^(ratio|figure) ' $(BUILD)/bench/all.log

clean:
	rm -rf $(BUILD)
