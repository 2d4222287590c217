; sum.s -- the sum of an array in RAM.
;
; Writes the eight numbers 3 1 4 1 5 9 2 6 into RAM words 0..7 (addresses 0x40..0x47: address bit 6
; selects the RAM), then adds them up in a loop and stores the sum, 31, in RAM word 8.
;
; Timing rules used (docs/processor.md): a register written by one word is seen by the third word after
; it, not by the two right after; the three words after a branch are executed whether it is taken or not
; (here nops; no load or store comes one or two words before the branch, which could leave fewer); a
; branch sees the flags of the last flag-setting word (subs) before it.

        setlo r1, 0x40        ; r1 = 64, RAM word 0
        setlo r2, 3
        setlo r3, 1
        setlo r4, 4
        setlo r5, 5
        setlo r6, 9
        setlo r7, 2
        st    r2, [r1 + 0]    ; RAM[0] = 3
        st    r3, [r1 + 1]    ; RAM[1] = 1
        st    r4, [r1 + 2]    ; RAM[2] = 4
        st    r3, [r1 + 3]    ; RAM[3] = 1
        setlo r1, 0x44        ; r1 = 68, RAM word 4
        setlo r2, 6
        nop
        st    r5, [r1 + 0]    ; RAM[4] = 5
        st    r6, [r1 + 1]    ; RAM[5] = 9
        st    r7, [r1 + 2]    ; RAM[6] = 2
        st    r2, [r1 + 3]    ; RAM[7] = 6

        setlo r1, 0x40        ; pointer to RAM word 0
        setlo r2, 8           ; words left
        sethi r3, 0           ; the sum, 0
        nop
loop:   ld    r4, [r1 + 0]    ; the next word
        subs  r2, r2, 1       ; one word fewer left; Z when none
        add   r1, r1, 1
        add   r3, r3, r4      ; the third word after the load sees r4
        bne   loop
        nop
        nop
        nop
        st    r3, [r1 + 0]    ; RAM[8] = the sum (r1 = 0x48 now)

halt:   bra   halt            ; the end: a branch to itself, taken on every pass
        nop                   ; its three delay slots, run on every pass
        nop
        nop
