; fibonacci.s -- the Fibonacci numbers F(0) .. F(11) into RAM words 0..11.
;
; a and b are two neighbours of the sequence; each pass stores a and moves on: (a, b) = (b, a + b).
; The word after the branch (its first delay slot) does useful work: it runs on every pass, taken or
; not, so it finishes the pass.

        setlo r1, 0x40        ; pointer to RAM word 0
        setlo r3, 1           ; b = F(1); a = F(0) = 0 is r2 after reset
        setlo r5, 12          ; passes left
        nop
        nop
loop:   st    r2, [r1 + 0]    ; RAM[i] = a
        add   r4, r2, r3      ; t = a + b
        add   r1, r1, 1
        subs  r5, r5, 1
        add   r2, r3, r0      ; a = b
        bne   loop
        add   r3, r4, r0      ; b = t (delay slot: runs on every pass)
        nop
        nop

halt:   bra   halt            ; the end: a branch to itself, taken on every pass
        nop                   ; its three delay slots, run on every pass
        nop
        nop
