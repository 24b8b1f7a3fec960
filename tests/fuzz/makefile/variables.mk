A := $(B) x
B ?= ${A}y
A += $$z
.PHONY: all
all: one two ; @echo $@ $< $^ $*
	echo $(A) \
  more
one two: C:\x\y.c # comment
