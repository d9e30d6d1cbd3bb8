# Everyday commands; each installs missing Debian packages first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# The program runs from here; its data live in $(RUN_DIR)/BASE, which no clean or rebuild touches.
RUN_DIR    ?= run
JOBS       ?= $(shell nproc)

.PHONY: deps configure build run test test-asan bench fuzz format clean

deps:
	@./tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@mkdir -p $(RUN_DIR)
	@cp -f $(BUILD)/app/tarvik $(RUN_DIR)/tarvik
	@cd $(RUN_DIR) && ./tarvik

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same tests with address and undefined-behaviour sanitizers.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARVIK_SANITIZE=ON -DTARVIK_BENCH=OFF > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; "$$b"; done

# Fuzz the data file reader: make fuzz FUZZ_SECONDS=600
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DTARVIK_FUZZ=ON -DTARVIK_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_packet
	@mkdir -p $(FUZZ_BUILD)/corpus
	@$(FUZZ_BUILD)/fuzz/fuzz_packet $(FUZZ_BUILD)/corpus tests/data -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
